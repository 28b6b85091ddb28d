// The monitor's figures (placeholder until the monitor is built).
namespace vx::bench {
void benchMonitor() {}
}  // namespace vx::bench
