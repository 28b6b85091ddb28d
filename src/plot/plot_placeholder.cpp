// Placeholder until the plotting library is built.
namespace vx::plot {
int placeholder;
}
