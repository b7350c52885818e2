#pragma once

#include "support/private_bus.h"

#include <QDBusMessage>
#include <QDBusVirtualObject>
#include <functional>
#include <gtest/gtest.h>
#include <optional>

namespace inkwarden::testing {

// A desktop service owning `name` on a connection of its own, at the object
// path the name gives. `answer` sees each call and gives the reply's
// arguments, or nothing to leave the call unanswered.
class FakeService final : public QDBusVirtualObject {
public:
    using Answer = std::function<std::optional<QVariantList>(const QDBusMessage& call)>;
    FakeService(PrivateBus& bus, const QString& name, Answer answer = {})
        : m_connection(bus.connect(name))
        , m_path(u'/' + name.section(u'.', 0, 2).replace(u'.', u'/'))
        , m_answer(std::move(answer)) {
        m_connection.registerVirtualObject(m_path, this);
        EXPECT_TRUE(m_connection.registerService(name));
    }
    QString introspect(const QString&) const override { return {}; }
    bool handleMessage(const QDBusMessage& call, const QDBusConnection&) override {
        if (const std::optional<QVariantList> reply = m_answer ? m_answer(call) : std::nullopt)
            m_connection.send(call.createReply(*reply));
        return true;
    }
    void emitSignal(const QString& interface, const QString& member,
                    const QVariantList& arguments) {
        QDBusMessage signal = QDBusMessage::createSignal(m_path, interface, member);
        signal.setArguments(arguments);
        m_connection.send(signal);
    }

private:
    QDBusConnection m_connection;
    QString m_path;
    Answer m_answer;
};

} // namespace inkwarden::testing
