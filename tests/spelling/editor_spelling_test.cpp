#include "app/menu_commands.h"
#include "editor/editor_spelling.h"
#include "editor/placeholder_text_view.h"
#include "editor/rich_text_editor.h"
#include "fakes/fake_spelling_backend.h"
#include "spelling/spell_checker.h"
#include "spelling/spelling_highlighter.h"
#include "store/store_harness.h"

#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>
#include <QTest>
#include <QTextBlock>
#include <sys/stat.h>
#include <unistd.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;

// "Entry|[x] chosen entry|-disabled entry|" (a separator is empty).
QString texts(const QMenu& menu) {
    QStringList entries;
    for (QAction* action : menu.actions())
        entries.append((action->isEnabled() ? u""_s : u"-"_s) +
                       (action->isChecked() ? u"[x] "_s : u""_s) + action->text());
    return entries.join(u'|');
}

// An editor over a library document and a spell checker over word lists,
// shown offscreen and driven with real key presses.
class EditorSpellingTest : public ::testing::Test {
protected:
    void SetUp() override {
        h.startIdle();
        dictionaries.words = {u"the"_s, u"cat"_s, u"one"_s, u"word"_s};
    }
    SpellChecker& checker() {
        if (!spelling) {
            spelling = std::make_unique<SpellChecker>(
                h.defaults(), std::make_unique<testing::FakeSpellingBackend>(dictionaries));
            spelling->load();
        }
        return *spelling;
    }
    QTextEdit& open(const QString& text) {
        editor.reset();
        path = storage::documentsFolder() + u"/Draft %1.rtf"_s.arg(++opened);
        EXPECT_FALSE(storage::writeDocument(path, testing::writing(text)));
        EXPECT_TRUE(h.store->openDocument(QUrl::fromLocalFile(path)));
        rewritten(); // the file as it was opened
        editor = std::make_unique<RichTextEditor>(*h.store, nullptr, &checker());
        editor->resize(600, 400);
        editor->show();
        QCoreApplication::processEvents();
        return editor->textView();
    }
    // Whether the file was replaced, as saves do, since the last look: a
    // second name for it keeps the old one apart.
    bool rewritten() {
        struct stat now = {}, before = {};
        ::stat(QFile::encodeName(path).constData(), &now);
        const bool replaced = ::stat(kept.constData(), &before) != 0 || now.st_ino != before.st_ino;
        ::unlink(kept.constData());
        EXPECT_EQ(::link(QFile::encodeName(path).constData(), kept.constData()), 0);
        return replaced;
    }
    // Every marked word, once what waits for idle time is checked.
    QStringList marked() {
        QStringList words;
        editor->spelling()->highlighter().checkPendingBlocks();
        for (QTextBlock block = editor->textView().document()->begin(); block.isValid();
             block = block.next()) {
            for (const spelling::WordSpan& word :
                 editor->spelling()->highlighter().misspellingsIn(block))
                words.append(block.text().mid(word.start, word.length));
        }
        return words;
    }
    std::unique_ptr<QMenu> menuAt(int position) {
        QTextCursor at(editor->textView().document());
        at.setPosition(position);
        return std::unique_ptr<QMenu>(
            editor->spelling()->createContextMenu(editor->textView().cursorRect(at).center()));
    }

    testing::StoreHarness h;
    testing::FakeDictionaries dictionaries;
    std::unique_ptr<SpellChecker> spelling;
    std::unique_ptr<RichTextEditor> editor;
    QString path;
    QByteArray kept = QFile::encodeName(h.home.path() + u"/kept"_s);
    int opened = 0;
};

// The word under the caret is left alone while it is typed and checked once
// the caret leaves it. Marks are drawn, never written: opening, marking and
// marking again save nothing and add no undo step, and the saved text has
// no trace of them.
TEST_F(EditorSpellingTest, WordsAreMarkedOnceTypedAndTheMarksAreNeverSavedOrUndone) {
    QTextEdit& view = open(u"Teh cat"_s);
    EXPECT_FALSE(view.document()->isUndoAvailable() || h.store->hasUnsavedChanges() || rewritten());
    const std::tuple<QString, Qt::Key, QString> steps[] = {
        {{}, Qt::Key_End, u"Teh"_s},          {u" wrod"_s, {}, u"Teh"_s},
        {u" teh"_s, {}, u"Teh wrod"_s},       {{}, Qt::Key_Home, u"Teh wrod teh"_s},
        {{}, Qt::Key_End, u"Teh wrod teh"_s}, {{}, Qt::Key_Backspace, u"Teh wrod"_s},
        {{}, Qt::Key_Left, u"Teh wrod"_s},    {{}, Qt::Key_Home, u"Teh wrod te"_s},
    };
    for (const auto& [typed, key, marks] : steps) {
        if (typed.isEmpty())
            QTest::keyClick(&view, key);
        QTest::keyClicks(&view, typed);
        SCOPED_TRACE(view.toPlainText().toStdString());
        EXPECT_EQ(marked().join(u' '), marks);
    }
    const int undoSteps = view.document()->availableUndoSteps();
    EXPECT_TRUE(rewritten()); // typing saves
    checker().addToDictionary(u"teh");
    EXPECT_EQ(marked(), QStringList({u"wrod"_s, u"te"_s}));
    EXPECT_FALSE(rewritten() || h.store->hasUnsavedChanges());
    EXPECT_EQ(view.document()->availableUndoSteps(), undoSteps);
    EXPECT_EQ(h.store->currentContent(), testing::writing(u"Teh cat wrod te"_s));
}

// Up to five suggestions, then adding and ignoring, then the usual entries;
// the choice reaches every mark of the word, those left for idle time too.
TEST_F(EditorSpellingTest, TheContextMenuOfAMarkedWordOffersSuggestionsAddAndIgnore) {
    const QString text = u"Wrod one wrod\n"_s + u"the cat\n"_s.repeated(400) + u"wrod"_s;
    const std::tuple<QString, QString, QStringList> cases[] = {
        {u"word"_s, u"Wrod wrod"_s, {}}, // "ward" would be marked
        {u"Add to Dictionary"_s, {}, {u"wrod"_s}},
        {u"Ignore Spelling"_s, {}, {}},
    };
    for (const auto& [entry, marks, added] : cases) {
        SCOPED_TRACE(entry.toStdString());
        spelling.reset();
        dictionaries.added.clear();
        QTextEdit& view = open(text);
        EXPECT_TRUE(editor->spelling()->highlighter().hasPendingBlocks());
        const auto menu = menuAt(11);
        EXPECT_EQ(texts(*menu),
                  u"word|ward|wood|world|sword||Add to Dictionary|Ignore Spelling||"_s +
                      texts(*menuAt(5))); // the usual entries, on a word spelled right
        for (QAction* action : menu->actions())
            if (action->text() == entry)
                action->trigger();
        EXPECT_EQ(marked().join(u' '), marks);
        EXPECT_EQ(dictionaries.added, added);
        view.undo(); // a replacement is one step
        EXPECT_EQ(view.toPlainText(), text);
    }
}

// Without dictionaries Edit ▸ Spelling says so, nothing is marked and the
// context menu is the usual one.
TEST_F(EditorSpellingTest, WithoutDictionariesNothingIsMarked) {
    dictionaries.languages.clear();
    QMainWindow window;
    installMenuCommands(
        window, *h.store, [] {}, nullptr, {}, &checker());
    EXPECT_EQ(texts(*window.menuBar()->actions().value(1)->menu()->actions().last()->menu()),
              u"-Check Spelling While Typing||-No dictionaries installed"_s);
    open(u"Teh wrod"_s);
    EXPECT_EQ(marked(), QStringList());
    EXPECT_FALSE(texts(*menuAt(1)).contains(u"Add to Dictionary"_s));
}

} // namespace
} // namespace inkwarden
