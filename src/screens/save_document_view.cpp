#include "screens/save_document_view.h"

#include "store/writing_store.h"

#include <QHBoxLayout>
#include <QKeyEvent>
#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QVBoxLayout>

namespace inkwarden {
namespace {

constexpr int kMargin = 24;
constexpr int kSpacing = 18;
constexpr int kButtonHeight = 32;

QLabel* textLabel(const QString& text, int pixels, QFont::Weight weight, QWidget* parent) {
    auto* label = new QLabel(text, parent);
    QFont font = label->font();
    font.setPixelSize(pixels);
    font.setWeight(weight);
    label->setFont(font);
    return label;
}

} // namespace

SaveDocumentView::SaveDocumentView(WritingStore& store, QWidget* parent)
    : QDialog(parent)
    , m_store(store) {
    const QString heading = m_store.isLibraryDocument() ? tr("Save a Copy") : tr("Save to Library");
    setWindowTitle(heading);
    setWindowModality(Qt::WindowModal);

    auto* title = textLabel(heading, 22, QFont::DemiBold, this);
    auto* explanation =
        textLabel(tr("Give this writing a name. The saved copy can be opened from Files."), 12,
                  QFont::Normal, this);
    explanation->setForegroundRole(QPalette::PlaceholderText);
    explanation->setWordWrap(true);
    m_name = new QLineEdit(m_store.suggestedTitle(), this);
    m_name->setPlaceholderText(tr("Document name"));
    m_name->setAccessibleName(tr("Document name"));
    m_name->setMinimumHeight(28);
    m_name->installEventFilter(this);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(kMargin, kMargin, kMargin, kMargin);
    layout->setSpacing(kSpacing);
    layout->addWidget(title);
    layout->addWidget(explanation);
    layout->addWidget(m_name);
    layout->addLayout(buildButtons());
    setFixedWidth(kWidth);
    setFixedHeight(layout->totalHeightForWidth(kWidth));

    connect(m_name, &QLineEdit::textChanged, this, &SaveDocumentView::updateSaveButton);
    connect(this, &QDialog::finished, this, [this] { m_store.setIsSavePresented(false); });
    updateSaveButton();
    m_name->selectAll();
    m_name->setFocus();
}

QHBoxLayout* SaveDocumentView::buildButtons() {
    auto* cancel = new QPushButton(tr("Cancel"), this);
    m_save = new QPushButton(tr("Save"), this);
    m_save->setDefault(true);
    for (QPushButton* button : {cancel, m_save})
        button->setMinimumHeight(kButtonHeight);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch(1);
    buttons->addWidget(cancel);
    buttons->addWidget(m_save);

    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    connect(m_save, &QPushButton::clicked, this, &SaveDocumentView::save);
    return buttons;
}

void SaveDocumentView::save() {
    if (m_store.saveToLibrary(m_name->text()))
        accept();
}

// Return in the name field saves even while "Save" is disabled, so a blank
// name is answered by the store rather than silently ignored. Taken here so
// the dialog's default button does not save a second time.
bool SaveDocumentView::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_name && event->type() == QEvent::KeyPress) {
        const int key = static_cast<QKeyEvent*>(event)->key();
        if (key == Qt::Key_Return || key == Qt::Key_Enter) {
            save();
            return true;
        }
    }
    return QDialog::eventFilter(watched, event);
}

void SaveDocumentView::updateSaveButton() {
    m_save->setEnabled(!m_name->text().trimmed().isEmpty());
}

} // namespace inkwarden
