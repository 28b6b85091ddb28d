#pragma once
// A record of every call of the plotting interface with its arguments, kept while a test
// asks for it (plot_testing.h), so that the graphs' tests can check exactly what was drawn.

#include <initializer_list>
#include <string>
#include <vector>

namespace vx::plot {

struct Call {
    std::string routine;
    std::vector<std::string> texts;  // the text arguments, in order
    std::vector<double> numbers;     // the numeric arguments, in order (curve: n)
    std::vector<float> x, y;         // curve: its points
    std::string str() const;         // "messag "CH1" 20 20"
};

bool recordingCalls();
void record(const char* routine, std::initializer_list<double> numbers,
            std::initializer_list<const char*> texts = {});
void recordCurve(const float* x, const float* y, int n);

void startRecordingCalls();
std::vector<Call> stopRecordingCalls();

}  // namespace vx::plot
