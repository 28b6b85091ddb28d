// The real-time graphs' figures (placeholder until the graphs are built).
namespace vx::bench {
void benchGraphs() {}
}  // namespace vx::bench
