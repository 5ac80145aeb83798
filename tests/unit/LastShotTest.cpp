// The record of the newest shot's files that the save worker keeps for the
// review window: one shot at a time, its end, and files that come after it.
#include <gtest/gtest.h>

#include "pipeline/LastShot.h"

namespace lorik {
namespace {

SystemTime Press(uint16_t second) {
  return {2026, 12, 5, 11, 17, 50, second, 0};
}

TEST(LastShotLog, OneShotAtATimeWithItsEndAndItsLateFiles) {
  LastShotLog log;
  EXPECT_EQ(log.Snapshot().serial, 0u);
  EXPECT_FALSE(log.End(1, Press(1)));  // nothing written yet: no record to end

  EXPECT_FALSE(log.Add(1, Press(1), {L"a", Press(1)}));
  EXPECT_FALSE(log.Add(1, Press(1), {L"b", Press(2)}));
  EXPECT_FALSE(log.End(2, Press(1)));  // another profile's end is not this shot's
  EXPECT_TRUE(log.End(1, Press(1)));
  // A frame finished late by another conversion worker joins the ended shot.
  EXPECT_TRUE(log.Add(1, Press(1), {L"c", Press(0)}));
  LastShot shot = log.Snapshot();
  EXPECT_EQ(shot.serial, 1u);
  EXPECT_TRUE(shot.ended);
  ASSERT_EQ(shot.files.size(), 3u);
  EXPECT_EQ(shot.files[2].path, L"c");

  // The next press of the same profile, or a single shot, starts over.
  EXPECT_FALSE(log.Add(1, Press(5), {L"d", Press(5)}));
  shot = log.Snapshot();
  EXPECT_EQ(shot.serial, 2u);
  EXPECT_FALSE(shot.ended);
  EXPECT_EQ(shot.files.size(), 1u);
  log.Add(0, Press(6), {L"single", Press(6)});
  shot = log.Snapshot();
  EXPECT_EQ(shot.serial, 3u);
  EXPECT_EQ(shot.profileNo, 0);
  EXPECT_EQ(shot.files.size(), 1u);
}

}  // namespace
}  // namespace lorik
