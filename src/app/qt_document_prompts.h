#pragma once

#include "store/store_services.h"

#include <QPointer>
#include <QWidget>

namespace inkwarden {

// The leave question and the export panel as modal Qt dialogs over the
// writer window. Main thread.
class QtDocumentPrompts final : public DocumentPrompts {
public:
    // `parent` is asked for each time, since the window can be rebuilt.
    explicit QtDocumentPrompts(std::function<QWidget*()> parent);

    LeaveAnswer askToSaveBeforeLeaving(const QString& suggestedName) override;
    std::optional<QString> chooseExportPath(const QString& proposedFileName) override;

    // The modal question the quit request asks: the index of the chosen button, or -1.
    static int ask(QWidget* parent, const QString& message, const QString& informative,
                   const QStringList& buttons);

private:
    std::function<QWidget*()> m_parent;
};

} // namespace inkwarden
