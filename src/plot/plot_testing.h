#pragma once
// Hooks for tests of the plotting library and of the graphs drawn with it: a record of
// every interface call with its arguments, events posted as the window posts them, and
// the scene as it stands.

#include <vector>

#include "plot/events.h"     // postEvent, setPointer
#include "plot/recording.h"  // Call
#include "plot/scene.h"

namespace vx::plot::testing {

inline void startRecording() {
    startRecordingCalls();
}
inline std::vector<Call> stopRecording() {
    return stopRecordingCalls();
}
const Scene& currentScene();
// Ends whatever plot is open without writing anything, forgets every setting and gives
// the scene's storage back.
void resetPlotting();
// The name the last picture file was written to.
const std::string& lastPictureFile();

}  // namespace vx::plot::testing
