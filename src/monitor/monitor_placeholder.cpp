// Placeholder until the monitor is built.
namespace vx::monitor {
int placeholder;
}
