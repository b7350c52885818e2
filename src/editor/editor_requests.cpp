#include "editor/editor_requests.h"

#include <QCoreApplication>

namespace inkwarden {

EditorRequests& EditorRequests::instance() {
    static EditorRequests* channel = new EditorRequests(QCoreApplication::instance());
    return *channel;
}

void EditorRequests::post(const QString& name, const QVariant& object,
                          const QVariantMap& userInfo) {
    QMetaObject::invokeMethod(
        this, [this, name, object, userInfo] { Q_EMIT requested(name, object, userInfo); },
        Qt::QueuedConnection);
}

void EditorRequests::postFormatting(FormattingCommand command,
                                    const std::optional<QString>& color) {
    QVariantMap userInfo;
    if (color)
        userInfo.insert(kColorKey, *color);
    instance().post(kFormatting, QVariant::fromValue(command), userInfo);
}

void EditorRequests::postFont(const QString& fontName) {
    instance().post(kFont, fontName);
}

} // namespace inkwarden
