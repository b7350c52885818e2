#include "app/app_delegate.h"

#include "store/writing_store.h"

#include <QCoreApplication>

namespace inkwarden {
namespace {

constexpr int kEndAndQuit = 1;

} // namespace

AppDelegate::AppDelegate(Ask ask)
    : m_ask(std::move(ask)) {}

bool AppDelegate::applicationShouldTerminate() {
    QPointer<WritingStore> store = m_store;
    if (!store)
        return true;
    if (store->isSessionActive()) {
        const int answer =
            m_ask(QCoreApplication::translate("inkwarden", "End this writing session?"),
                  QCoreApplication::translate("inkwarden", "You can leave early if you need to."),
                  {QCoreApplication::translate("inkwarden", "Keep Writing"),
                   QCoreApplication::translate("inkwarden", "End and Quit")});
        if (answer != kEndAndQuit || !store)
            return false;
    }
    if (!store->confirmSaveBeforeLeaving())
        return false;
    store->setIsTerminationApproved(true);
    // Read again: the session may have ended while the questions were open.
    if (store->isSessionActive())
        store->endSession(false);
    return true;
}

} // namespace inkwarden
