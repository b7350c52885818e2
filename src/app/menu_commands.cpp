#include "app/menu_commands.h"

#include "documents/storage_layout.h"
#include "editor/editor_requests.h"
#include "screens/writing_view.h"
#include "services/login_item.h"
#include "spelling/spell_checker.h"
#include "store/writing_store.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QMessageBox>
#include <QTextEdit>

namespace inkwarden {
namespace {

QAction* add(QMenu* menu, const QString& title, const QKeySequence& shortcut,
             std::function<void()> action) {
    QAction* item = menu->addAction(title);
    item->setShortcut(shortcut);
    QObject::connect(item, &QAction::triggered, menu, std::move(action));
    return item;
}

void addFileMenu(QMainWindow& window, WritingStore& store, std::function<void()> quit) {
    QMenu* file = window.menuBar()->addMenu(QObject::tr("&File"));
    add(file, QObject::tr("New Document"), QKeySequence(Qt::CTRL | Qt::Key_N),
        [&store] { store.newDocument(); });
    add(file, QObject::tr("Save"), QKeySequence(Qt::CTRL | Qt::Key_S),
        [&store] { store.saveCurrent(); });
    add(file, QObject::tr("Save a Copy to Library…"),
        QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_S),
        [&store] { store.setIsSavePresented(true); });
    add(file, QObject::tr("Browse Files"), QKeySequence(Qt::CTRL | Qt::Key_O),
        [&store] { store.setIsLibraryPresented(true); });
    add(file, QObject::tr("Search Your Writing…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_F),
        [&window, &store] {
            if (auto* view = qobject_cast<WritingView*>(window.centralWidget()))
                view->presentLibrarySearch();
            else
                store.setIsLibraryPresented(true);
        });
    file->addSeparator();
    add(file, QObject::tr("Export RTF…"), {}, [&store] { store.exportCurrent(); });
    add(file, QObject::tr("Show in Folder"), {}, [&store] { store.revealCurrentInFinder(); });
    file->addSeparator();
    add(file, QObject::tr("Quit"), QKeySequence(Qt::CTRL | Qt::Key_Q), std::move(quit));
}

// Filled again whenever the checker changes, so it always shows its state.
void fillSpellingMenu(QMenu& menu, SpellChecker* spelling) {
    menu.clear();
    const bool usable = spelling && spelling->hasDictionaries();
    QAction* checking = menu.addAction(QObject::tr("Check Spelling While Typing"));
    checking->setCheckable(true);
    checking->setEnabled(usable);
    checking->setChecked(usable && spelling->isWanted());
    menu.addSeparator();
    if (!usable) {
        menu.addAction(QObject::tr("No dictionaries installed"))->setEnabled(false);
        return;
    }
    QObject::connect(checking, &QAction::toggled, spelling,
                     [spelling](bool on) { spelling->setWanted(on); });
    auto* languages = new QActionGroup(&menu);
    for (const QString& tag : spelling->languages()) {
        QAction* language = menu.addAction(SpellChecker::displayName(tag));
        language->setCheckable(true);
        language->setChecked(tag == spelling->language());
        languages->addAction(language);
        QObject::connect(language, &QAction::triggered, spelling,
                         [spelling, tag] { spelling->setLanguage(tag); });
    }
}

// Linux gives no Edit menu for free; these act on whichever text has the focus.
void addEditMenu(QMenuBar& bar, SpellChecker* spelling) {
    QMenu* edit = bar.addMenu(QObject::tr("&Edit"));
    const auto onFocusedText = [](void (QTextEdit::*action)()) {
        return [action] {
            if (auto* text = qobject_cast<QTextEdit*>(QApplication::focusWidget()))
                (text->*action)();
        };
    };
    add(edit, QObject::tr("Undo"), QKeySequence::Undo, onFocusedText(&QTextEdit::undo));
    add(edit, QObject::tr("Redo"), QKeySequence::Redo, onFocusedText(&QTextEdit::redo));
    edit->addSeparator();
    add(edit, QObject::tr("Cut"), QKeySequence::Cut, onFocusedText(&QTextEdit::cut));
    add(edit, QObject::tr("Copy"), QKeySequence::Copy, onFocusedText(&QTextEdit::copy));
    add(edit, QObject::tr("Paste"), QKeySequence::Paste, onFocusedText(&QTextEdit::paste));
    add(edit, QObject::tr("Select All"), QKeySequence::SelectAll,
        onFocusedText(&QTextEdit::selectAll));
    edit->addSeparator();
    QMenu* spellingMenu = edit->addMenu(QObject::tr("Spelling"));
    fillSpellingMenu(*spellingMenu, spelling);
    if (spelling) {
        // Queued: the menu's own action may be what changed the checker.
        QObject::connect(
            spelling, &SpellChecker::changed, spellingMenu,
            [spellingMenu, spelling] { fillSpellingMenu(*spellingMenu, spelling); },
            Qt::QueuedConnection);
    }
}

void addWriteMenu(QMenuBar& bar, WritingStore& store, LoginItem* loginItem,
                  std::function<void()> showProgress) {
    QMenu* write = bar.addMenu(QObject::tr("&Write"));
    // One key for whichever of the two is enabled: a disabled action's shortcut is not taken.
    const QKeySequence startOrEnd(Qt::CTRL | Qt::SHIFT | Qt::Key_Return);
    QAction* start = add(write, QObject::tr("Start Focus Session"), startOrEnd,
                         [&store] { store.startSession(); });
    QAction* end = add(write, QObject::tr("End Session Early"), startOrEnd,
                       [&store] { store.endSession(false); });
    if (showProgress)
        add(write, QObject::tr("Your Progress…"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_P),
            std::move(showProgress));
    write->addSeparator();
    add(write, QObject::tr("Bold"), QKeySequence(Qt::CTRL | Qt::Key_B),
        [] { EditorRequests::postFormatting(FormattingCommand::Bold); });
    add(write, QObject::tr("Italic"), QKeySequence(Qt::CTRL | Qt::Key_I),
        [] { EditorRequests::postFormatting(FormattingCommand::Italic); });
    add(write, QObject::tr("Highlight"), QKeySequence(Qt::CTRL | Qt::SHIFT | Qt::Key_H),
        [] { EditorRequests::postFormatting(FormattingCommand::Highlight); });
    // Exactly one of the two session commands is enabled, following the store.
    const auto follow = [start, end, &store] {
        start->setEnabled(!store.isSessionActive());
        end->setEnabled(store.isSessionActive());
    };
    follow();
    QObject::connect(&store, &WritingStore::objectWillChange, write, [write, follow] {
        QMetaObject::invokeMethod(write, follow, Qt::QueuedConnection);
    });
    if (!loginItem)
        return;
    write->addSeparator();
    QAction* atLogin = write->addAction(QObject::tr("Start at Login"));
    atLogin->setCheckable(true);
    // Read when the menu opens: the user may change the entry elsewhere.
    QObject::connect(write, &QMenu::aboutToShow, atLogin, [atLogin, loginItem] {
        atLogin->setChecked(loginItem->status() == LoginItemStatus::Enabled);
    });
    QObject::connect(atLogin, &QAction::triggered, atLogin, [atLogin, loginItem](bool checked) {
        loginItem->setEnabled(checked);
        atLogin->setChecked(loginItem->status() == LoginItemStatus::Enabled);
    });
}

// Full screen is the person's to leave at any time (F11, or Esc while in it);
// zoom changes how large the text is shown, never the document.
void addViewMenu(QMainWindow& window, WritingStore& store) {
    QMenu* view = window.menuBar()->addMenu(QObject::tr("&View"));
    QAction* fullScreen =
        add(view, QObject::tr("Full Screen"), QKeySequence(Qt::Key_F11),
            [&window] { window.setWindowState(window.windowState() ^ Qt::WindowFullScreen); });
    fullScreen->setCheckable(true);
    QObject::connect(view, &QMenu::aboutToShow, fullScreen,
                     [fullScreen, &window] { fullScreen->setChecked(window.isFullScreen()); });
    auto* leave = new QAction(&window);
    leave->setShortcut(QKeySequence(Qt::Key_Escape));
    leave->setShortcutContext(Qt::WindowShortcut);
    QObject::connect(leave, &QAction::triggered, &window, [&window] {
        if (window.isFullScreen())
            window.setWindowState(window.windowState() & ~Qt::WindowFullScreen);
    });
    window.addAction(leave);
    view->addSeparator();
    add(view, QObject::tr("Zoom In"), QKeySequence::ZoomIn, [&store] {
        store.stepTextZoom(1);
    })->setShortcuts({QKeySequence::ZoomIn, QKeySequence(Qt::CTRL | Qt::Key_Equal)});
    add(view, QObject::tr("Zoom Out"), QKeySequence::ZoomOut, [&store] { store.stepTextZoom(-1); });
    add(view, QObject::tr("Actual Size"), QKeySequence(Qt::CTRL | Qt::Key_0),
        [&store] { store.stepTextZoom(0); });
}

void addHelpMenu(QMenuBar& bar, QMainWindow& window) {
    QMenu* help = bar.addMenu(QObject::tr("&Help"));
    add(help, QObject::tr("About Inkwarden"), {}, [&window] {
        QMessageBox::about(
            &window, QObject::tr("About Inkwarden"),
            QObject::tr("<p><b>Inkwarden %1</b></p>"
                        "<p>Makes writing a daily habit: one writing time a day, fifteen "
                        "focused minutes, and nothing typed is ever lost.</p>"
                        "<p>Your writing is kept in %2.</p>")
                .arg(QCoreApplication::applicationVersion(),
                     storage::applicationFolder().toHtmlEscaped()));
    });
}

} // namespace

void installMenuCommands(QMainWindow& window, WritingStore& store, std::function<void()> quit,
                         LoginItem* loginItem, std::function<void()> showProgress,
                         SpellChecker* spelling) {
    QMenuBar& bar = *window.menuBar();
    addFileMenu(window, store, std::move(quit));
    addEditMenu(bar, spelling);
    addWriteMenu(bar, store, loginItem, std::move(showProgress));
    addViewMenu(window, store);
    addHelpMenu(bar, window);
}

} // namespace inkwarden
