#include "plot/recording.h"

#include <cstdio>

namespace vx::plot {
namespace {
bool on = false;
std::vector<Call> calls;
}  // namespace

std::string Call::str() const {
    std::string s = routine;
    for (const std::string& t : texts)
        s += " \"" + t + '"';
    char buf[32];
    for (double v : numbers) {
        std::snprintf(buf, sizeof buf, " %.9g", v);
        s += buf;
    }
    return s;
}

bool recordingCalls() {
    return on;
}

void record(const char* routine, std::initializer_list<double> numbers,
            std::initializer_list<const char*> texts) {
    if (!on) return;
    Call c;
    c.routine = routine;
    for (const char* t : texts)
        c.texts.emplace_back(t ? t : "");
    c.numbers.assign(numbers);
    calls.push_back(std::move(c));
}

void recordCurve(const float* x, const float* y, int n) {
    if (!on) return;
    Call c;
    c.routine = "curve";
    c.numbers = {double(n)};
    if (x && y && n > 0) {
        c.x.assign(x, x + n);
        c.y.assign(y, y + n);
    }
    calls.push_back(std::move(c));
}

void startRecordingCalls() {
    calls.clear();
    on = true;
}

std::vector<Call> stopRecordingCalls() {
    on = false;
    return std::move(calls);
}

}  // namespace vx::plot
