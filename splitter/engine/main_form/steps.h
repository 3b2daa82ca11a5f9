// The steps of a processing run, the values of Tform_Main::Step. Each even
// step waits for the paint that runs it; the odd number after it is the same
// step while it runs or after it has run. A paint that finds an odd step does
// nothing: a step's own message processing lets further paints through, and
// they must not start it again. The last odd step, kStepFinished, ends the
// run.
#pragma once

#include <cstdint>

namespace splitter {

// The step that `step` is while it runs.
constexpr std::uint8_t Running(std::uint8_t step) { return static_cast<std::uint8_t>(step + 1); }
// Whether a paint finds a step running (or the run over) and does nothing.
constexpr bool StepRuns(std::uint8_t step) { return step % 2 == 1; }

// Read the settings, prepare the lists; then the chain commands, directly.
inline constexpr std::uint8_t kStepSettings = 0;
inline constexpr std::uint8_t kStepSettingsRunning = Running(kStepSettings);
// Start the next chain command; the timer brings the run back here when it
// has ended, and the split follows when none is left.
inline constexpr std::uint8_t kStepChainCommands = 2;
inline constexpr std::uint8_t kStepChainCommandRunning = Running(kStepChainCommands);
// Take back bad-account logs, load and split the captures, check accounts.
inline constexpr std::uint8_t kStepSplit = 4;
inline constexpr std::uint8_t kStepSplitRunning = Running(kStepSplit);
// Write the queue file, run the check-writing program and wait for it.
inline constexpr std::uint8_t kStepPrint = 6;
inline constexpr std::uint8_t kStepPrintRunning = Running(kStepPrint);
// Clean up and close the window.
inline constexpr std::uint8_t kStepCleanUp = 8;
inline constexpr std::uint8_t kStepFinished = Running(kStepCleanUp);

static_assert(StepRuns(kStepSettingsRunning) && StepRuns(kStepChainCommandRunning) &&
              StepRuns(kStepSplitRunning) && StepRuns(kStepPrintRunning) &&
              StepRuns(kStepFinished));
static_assert(!StepRuns(kStepSettings) && !StepRuns(kStepChainCommands) && !StepRuns(kStepSplit) &&
              !StepRuns(kStepPrint) && !StepRuns(kStepCleanUp));

}  // namespace splitter
