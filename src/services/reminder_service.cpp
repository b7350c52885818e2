#include "services/reminder_service.h"

namespace inkwarden {

void ReminderService::configure(qint64, qint64) {}

void ReminderService::remindIfIncomplete() {}

} // namespace inkwarden
