#include "store/daily_schedule.h"
#include "store/settings_keys.h"
#include "store_harness.h"

#include <QSet>
#include <gtest/gtest.h>

namespace inkwarden {
namespace {

using namespace Qt::Literals::StringLiterals;
using testing::localTime;

constexpr qint64 kStepSeconds = 20;        // three heartbeats inside the follow-up window
constexpr qint64 kWalkSeconds = 50 * 3600; // through the next two days' writing times

struct Jump {
    const char* name;
    QDateTime before;
    QDateTime after;
    QDateTime correctedTo = {}; // ten minutes after the jump, when valid
};

// The daily time is 09:00; 09:30:20 lies inside the follow-up window. Built
// on demand, since a local time depends on the zone the test main sets.
Jump jumpNumber(int index) {
    switch (index) {
    case 0:
        return {"BackOneHour", localTime(2026, 12, 7, 9, 30, 20),
                localTime(2026, 12, 7, 8, 30, 20)};
    case 1:
        return {"ForwardOneDay", localTime(2026, 12, 7, 9, 30, 20),
                localTime(2026, 12, 8, 9, 30, 20)};
    case 2:
        return {"BackAcrossMidnight", localTime(2026, 12, 8, 0, 20),
                localTime(2026, 12, 7, 23, 20)};
    default: // a day ahead by mistake, then set right
        return {"ForwardOneDayThenBack", localTime(2026, 12, 7, 9, 30, 20),
                localTime(2026, 12, 8, 9, 30, 20), localTime(2026, 12, 7, 9, 30, 40)};
    }
}

enum class State { Idle, InSession };

void PrintTo(State state, std::ostream* out) {
    *out << (state == State::Idle ? "Idle" : "InSession");
}

// The wall clock jumps while the program runs, idle or five minutes into a
// session, and then runs on for a day and more, one heartbeat every 20
// seconds. After every heartbeat: the countdown stays within one session and
// never goes up, the store, its saved end and the focus service agree, no day
// gets a second session or a second follow-up, and the next day still gets
// its session.
class ClockFaultTest : public ::testing::TestWithParam<std::tuple<State, int>> {
protected:
    Jump jump() const { return jumpNumber(std::get<1>(GetParam())); }
    bool startsInSession() const { return std::get<0>(GetParam()) == State::InSession; }

    void launch() {
        const QDateTime start = startsInSession() ? jump().before.addSecs(-300) : jump().before;
        h.clock.set(start);
        h.mark(keys::kTrackingStartDay, u"2026-11-01"_s);
        // The launch day's writing time was handled but not completed, so the
        // follow-up is still due and nothing starts by itself at launch.
        h.mark(keys::kLastScheduledDay, dayKey(mostRecentScheduledTime(start, 9, 0)));
        h.start();
        if (startsInSession())
            h.store->startSession();
        record();
    }

    // Notes which day each new session and each follow-up belongs to.
    void record() {
        while (m_begins < h.log.count(u"begin"_s)) {
            ++m_begins;
            m_sessionDays.append(h.marker(keys::kLastSessionDay));
        }
        while (m_followups < h.log.count(u"followup"_s)) {
            ++m_followups;
            m_followupDays.append(dayKey(h.clock.now()));
        }
        const QString completed = h.marker(keys::kLastCompletedDay);
        if (m_completedDays.value(m_completedDays.size() - 1) != completed)
            m_completedDays.append(completed);
    }

    // The heartbeat at `moment`; an empty answer when everything holds.
    std::string tickAndCheck(const QDateTime& moment, bool steadyStep) {
        const bool wasActive = h.store->isSessionActive();
        const qint64 previous = h.store->remainingSeconds();
        const qsizetype beginsBefore = h.log.count(u"begin"_s);
        h.tickAt(moment);
        record();
        const WritingStore& store = *h.store;
        const qint64 left = store.remainingSeconds();
        const bool sameSession = wasActive && h.log.count(u"begin"_s) == beginsBefore;
        const std::string at = " at " + moment.toString(Qt::ISODate).toStdString();
        if (left < 0 || left > WritingStore::kSessionSeconds)
            return "remaining " + std::to_string(left) + at;
        if (sameSession && store.isSessionActive() && left > previous)
            return "remaining grew from " + std::to_string(previous) + " to " +
                   std::to_string(left) + at;
        if (sameSession && steadyStep && store.isSessionActive() && left != previous - kStepSeconds)
            return "20 seconds took " + std::to_string(previous - left) + " off" + at;
        if (store.isSessionActive() != store.sessionEnd().has_value() ||
            (!store.isSessionActive() && left != 0))
            return "session fields disagree" + at;
        if (h.defaults().date(keys::kSessionEnd) != store.sessionEnd())
            return "saved end differs from the session's" + at;
        if (store.sessionEnd() &&
            moment.secsTo(*store.sessionEnd()) > WritingStore::kSessionSeconds)
            return "saved end lies more than a session ahead" + at;
        if (h.log.count(u"begin"_s) - h.log.count(u"end"_s) != (store.isSessionActive() ? 1 : 0))
            return "focus begins and ends do not pair up" + at;
        if (QSet<QString>(m_sessionDays.begin(), m_sessionDays.end()).size() !=
            m_sessionDays.size())
            return "a second session for " + m_sessionDays.last().toStdString() + at;
        if (QSet<QString>(m_followupDays.begin(), m_followupDays.end()).size() !=
            m_followupDays.size())
            return "a second follow-up for " + m_followupDays.last().toStdString() + at;
        return {};
    }

    testing::StoreHarness h;
    QStringList m_sessionDays;
    QStringList m_followupDays;
    QStringList m_completedDays;
    qsizetype m_begins = 0;
    qsizetype m_followups = 0;
};

TEST_P(ClockFaultTest, NoNegativeOrGrowingCountdownAndOnceADay) {
    launch();
    ASSERT_EQ(h.store->isSessionActive(), startsInSession());
    ASSERT_EQ(tickAndCheck(jump().before, false), "");
    ASSERT_EQ(h.store->remainingSeconds(), startsInSession() ? 600 : 0);

    ASSERT_EQ(tickAndCheck(jump().after, false), "");
    QDateTime walkFrom = jump().after;
    if (jump().correctedTo.isValid()) {
        for (qint64 walked = kStepSeconds; walked <= 600; walked += kStepSeconds)
            ASSERT_EQ(tickAndCheck(walkFrom.addSecs(walked), true), "");
        walkFrom = jump().correctedTo;
        ASSERT_EQ(tickAndCheck(walkFrom, false), "");
    }
    for (qint64 walked = kStepSeconds; walked <= kWalkSeconds; walked += kStepSeconds)
        ASSERT_EQ(tickAndCheck(walkFrom.addSecs(walked), true), "");

    EXPECT_EQ(h.store->currentDateKey(), dayKey(h.clock.now()));
    // A day the clock was wrongly in when a session completed counts as
    // written; every other day still gets its session.
    for (int ahead : {1, 2}) {
        const QString day = dayKey(walkFrom.addDays(ahead));
        EXPECT_TRUE(m_sessionDays.contains(day) || (ahead == 1 && m_completedDays.contains(day)))
            << day.toStdString()
            << " has no session; sessions: " << m_sessionDays.join(u", "_s).toStdString();
    }
    if (startsInSession()) {
        EXPECT_GT(m_completedDays.size(), 1) << "the interrupted session still completed";
    }
}

// A clock a day ahead for a moment, with the session that started there
// ended at once: once set right, the real day is neither reminded nor
// started a second time.
TEST(ClockSetRightTest, ADayAheadAndBackRepeatsNeitherFollowupNorSession) {
    testing::StoreHarness h;
    h.mark(keys::kTrackingStartDay, u"2026-11-01"_s);
    h.clock.set(localTime(2026, 12, 7, 9, 0));
    WritingStore& store = h.start();
    ASSERT_TRUE(store.isSessionActive());
    h.tickAt(localTime(2026, 12, 7, 9, 5));
    store.endSession(false);
    h.tickAt(localTime(2026, 12, 7, 9, 30, 10));
    ASSERT_EQ(h.log.count(u"followup"_s), 1);

    h.tickAt(localTime(2026, 12, 8, 9, 30, 20));
    EXPECT_EQ(h.log.count(u"followup"_s), 2) << "the day ahead has its own follow-up";
    ASSERT_TRUE(store.isSessionActive()) << "and its own session";
    store.endSession(false);

    for (int second = 40; second < 60; second += 10)
        h.tickAt(localTime(2026, 12, 7, 9, 30, second));
    EXPECT_EQ(h.log.count(u"followup"_s), 2);
    EXPECT_FALSE(store.isSessionActive());
    EXPECT_EQ(h.log.count(u"begin"_s), 2);
}

// A clock that ran a year ahead (a flat battery, a test) marked that far-off
// day handled; once it is set right the real days still get their sessions
// and follow-ups instead of waiting a year.
TEST(ClockSetRightTest, AYearAheadSilencesNoRealDay) {
    testing::StoreHarness h;
    h.mark(keys::kTrackingStartDay, u"2026-11-01"_s);
    h.clock.set(localTime(2027, 12, 7, 9, 0));
    WritingStore& store = h.start();
    ASSERT_TRUE(store.isSessionActive());
    store.endSession(false);
    h.tickAt(localTime(2027, 12, 7, 9, 30, 10));
    ASSERT_EQ(h.log.count(u"followup"_s), 1);

    h.tickAt(localTime(2026, 12, 7, 9, 0, 5));
    EXPECT_TRUE(store.isSessionActive());
    store.endSession(false);
    h.tickAt(localTime(2026, 12, 7, 9, 30, 10));
    EXPECT_EQ(h.log.count(u"followup"_s), 2);
    EXPECT_EQ(h.log.count(u"begin"_s), 2);
}

INSTANTIATE_TEST_SUITE_P(
    AllJumps, ClockFaultTest,
    ::testing::Combine(::testing::Values(State::Idle, State::InSession), ::testing::Range(0, 4)),
    [](const ::testing::TestParamInfo<ClockFaultTest::ParamType>& param) {
        return std::string(std::get<0>(param.param) == State::Idle ? "Idle_" : "InSession_") +
               jumpNumber(std::get<1>(param.param)).name;
    });

} // namespace
} // namespace inkwarden
