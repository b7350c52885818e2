#include "app/qt_document_prompts.h"

#include <QDialog>
#include <QDialogButtonBox>
#include <QFileDialog>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QStandardPaths>
#include <QVBoxLayout>

namespace inkwarden {

QtDocumentPrompts::QtDocumentPrompts(std::function<QWidget*()> parent)
    : m_parent(std::move(parent)) {}

// "Save this writing?" with a name field; Return saves, Escape cancels.
DocumentPrompts::LeaveAnswer
QtDocumentPrompts::askToSaveBeforeLeaving(const QString& suggestedName) {
    QDialog dialog(m_parent());
    dialog.setWindowTitle(QStringLiteral("Inkwarden"));
    auto* column = new QVBoxLayout(&dialog);
    auto* message = new QLabel(QObject::tr("Save this writing?"), &dialog);
    QFont bold = message->font();
    bold.setBold(true);
    message->setFont(bold);
    column->addWidget(message);
    column->addWidget(
        new QLabel(QObject::tr("Your changes will be lost if you don’t save."), &dialog));
    auto* name = new QLineEdit(suggestedName, &dialog);
    name->setPlaceholderText(QObject::tr("Document name"));
    name->setFixedSize(280, 24);
    name->selectAll();
    column->addWidget(name);
    auto* buttons = new QDialogButtonBox(&dialog);
    QPushButton* save = buttons->addButton(QObject::tr("Save"), QDialogButtonBox::AcceptRole);
    QPushButton* discard =
        buttons->addButton(QObject::tr("Don’t Save"), QDialogButtonBox::DestructiveRole);
    buttons->addButton(QObject::tr("Cancel"), QDialogButtonBox::RejectRole);
    save->setDefault(true);
    column->addWidget(buttons);
    LeaveAnswer answer;
    QObject::connect(buttons, &QDialogButtonBox::accepted, &dialog, &QDialog::accept);
    QObject::connect(buttons, &QDialogButtonBox::rejected, &dialog, &QDialog::reject);
    QObject::connect(discard, &QPushButton::clicked, &dialog, [&] {
        answer.choice = LeaveChoice::DontSave;
        dialog.done(QDialog::Accepted);
    });
    if (dialog.exec() == QDialog::Accepted && answer.choice != LeaveChoice::DontSave) {
        answer.choice = LeaveChoice::Save;
        answer.name = name->text();
    }
    return answer;
}

std::optional<QString> QtDocumentPrompts::chooseExportPath(const QString& proposedFileName) {
    QFileDialog panel(m_parent(), QObject::tr("Export RTF"));
    panel.setAcceptMode(QFileDialog::AcceptSave);
    panel.setNameFilter(QObject::tr("RTF documents (*.rtf)"));
    panel.setDefaultSuffix(QStringLiteral("rtf"));
    panel.setDirectory(QStandardPaths::writableLocation(QStandardPaths::DocumentsLocation));
    panel.selectFile(proposedFileName);
    if (panel.exec() != QDialog::Accepted || panel.selectedFiles().isEmpty())
        return std::nullopt;
    return panel.selectedFiles().first();
}

int QtDocumentPrompts::ask(QWidget* parent, const QString& message, const QString& informative,
                           const QStringList& buttons) {
    QMessageBox box(parent);
    box.setText(message);
    box.setInformativeText(informative);
    QList<QAbstractButton*> added;
    for (const QString& title : buttons)
        added.append(box.addButton(title, added.isEmpty() ? QMessageBox::AcceptRole
                                                          : QMessageBox::RejectRole));
    if (!added.isEmpty()) {
        box.setDefaultButton(qobject_cast<QPushButton*>(added.first()));
        box.setEscapeButton(added.first());
    }
    box.exec();
    return int(added.indexOf(box.clickedButton()));
}

} // namespace inkwarden
