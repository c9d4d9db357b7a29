#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <functional>
#include <vector>

#include "drive/pass_through.h"
#include "drive/shared_state.h"
#include "sim/sim_storage_stack.h"
#include "tests/support/bytes.h"
#include "tests/support/shared_state_scope.h"
#include "update/disc_check.h"

namespace {

using namespace sim;
using ::testing::ElementsAreArray;

constexpr uint8_t DISC_INFO = OP_READ_DISC_INFO;
constexpr uint8_t TRACK_INFO = OP_READ_TRACK_INFO;
constexpr uint8_t TOC = OP_READ_TOC;
constexpr uint8_t TUR = OP_TEST_UNIT_READY;
constexpr uint8_t EVENTS = OP_GET_EVENT_STATUS;

// No disc, the medium commands failing with this sense, and the media event status failing too,
// so that only the medium commands' sense can decide.
std::function<void(SimDrive&)> NoDiscWith(SenseCode sense) {
    return [sense](SimDrive& d) {
        d.disc.present = false;
        d.disc.absentSense = sense;
        d.faults.push_back(Fault::CheckCondition(OP_GET_EVENT_STATUS, SENSE_INVALID_FIELD_IN_CDB));
    };
}

class DiscCheckTest : public ::testing::Test {
protected:
    void SetUp() override {
        SimStorageStack::Instance().Reset();
        drive_ = &SimStorageStack::Instance().Attach('E', SimDrive::Kestran());
        g_hDrive = OpenDriveDevice('E');
        ASSERT_NE(nullptr, g_hDrive);
    }

    std::vector<uint8_t> Opcodes() const { return ::Opcodes(drive_->journal); }

    SharedStateScope state_;
    ScopedOverride<int> transport_{g_nTransport, TRANSPORT_PASS_THROUGH};

    SimDrive* drive_ = nullptr;
};

TEST_F(DiscCheckTest, CommandTraceAndAnswerFollowTheDrivesReplies) {
    const std::vector<uint8_t> all = {DISC_INFO, TRACK_INFO, DISC_INFO, TRACK_INFO,
                                      TOC,       TUR,        EVENTS};
    const struct {
        const char* name;
        std::function<void(SimDrive&)> arrange;
        std::vector<uint8_t> trace;
        int present;
    } cases[] = {
        {"disc in the drive", [](SimDrive&) {}, all, 1},
        {"no medium",
         [](SimDrive& d) { d.disc.present = false; },
         {DISC_INFO, TRACK_INFO, DISC_INFO},
         0},
        {"medium not present, tray closed, is not no medium", NoDiscWith({0x02, 0x3A, 0x01}), all,
         1},
        {"medium not present, tray open, is not no medium", NoDiscWith({0x02, 0x3A, 0x02}), all, 1},
        {"becoming ready is not no medium", NoDiscWith({0x02, 0x04, 0x01}), all, 1},
        {"event status alone says no medium",
         [](SimDrive& d) {
             d.disc.present = false;
             d.disc.absentSense = {0x02, 0x04, 0x01};
         },
         all, 0},
        {"READ TOC reports no medium",
         [](SimDrive& d) { d.faults.push_back(Fault::CheckCondition(TOC, SENSE_NO_MEDIUM)); },
         {DISC_INFO, TRACK_INFO, DISC_INFO, TRACK_INFO, TOC},
         0},
        {"TEST UNIT READY reports no medium",
         [](SimDrive& d) { d.faults.push_back(Fault::CheckCondition(TUR, SENSE_NO_MEDIUM)); },
         {DISC_INFO, TRACK_INFO, DISC_INFO, TRACK_INFO, TOC, TUR},
         0},
        {"first round's no medium is not looked at",
         [](SimDrive& d) {
             d.faults.push_back(Fault::CheckCondition(DISC_INFO, SENSE_NO_MEDIUM));
             d.faults.push_back(Fault::CheckCondition(TRACK_INFO, SENSE_NO_MEDIUM));
         },
         all, 1},
        {"failing event status keeps present",
         [](SimDrive& d) {
             d.faults.push_back(Fault::CheckCondition(EVENTS, SENSE_INVALID_FIELD_IN_CDB));
         },
         all, 1},
        {"every command refused keeps present", [](SimDrive& d) { d.acceptsPassThrough = false; },
         all, 1},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        *drive_ = SimDrive::Kestran();
        c.arrange(*drive_);
        g_bDiscPresent = -1;
        CheckDiscPresence();
        EXPECT_THAT(Opcodes(), ElementsAreArray(c.trace));
        EXPECT_EQ(c.present, g_bDiscPresent);
    }
}

} // namespace
