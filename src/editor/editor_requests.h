#pragma once

#include "editor/formatting_command.h"

#include <QObject>
#include <QVariant>
#include <QVariantMap>

namespace inkwarden {

// The one application-wide channel from the menus and the control row to the
// live editor. A request is delivered later on the main thread, never inside
// the posting call; whoever listens decides what an object of the wrong kind
// means (the editor ignores it).
class EditorRequests final : public QObject {
    Q_OBJECT
public:
    static inline const QString kFormatting = QStringLiteral("Inkwarden.editorFormatting");
    static inline const QString kFont = QStringLiteral("Inkwarden.editorFont");
    static inline const QString kColorKey = QStringLiteral("color");

    static EditorRequests& instance();

    void post(const QString& name, const QVariant& object, const QVariantMap& userInfo = {});
    // The menu posts without a colour, the control row with the selected one.
    static void postFormatting(FormattingCommand command, const std::optional<QString>& color = {});
    static void postFont(const QString& fontName);

Q_SIGNALS:
    void requested(const QString& name, const QVariant& object, const QVariantMap& userInfo);

private:
    using QObject::QObject;
};

} // namespace inkwarden
