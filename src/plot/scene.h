#pragma once
// The one picture of the plotting library: a display list of primitives on the landscape
// page (2970 x 2100 units, origin at the top left, y down). Outputs render it: the screen
// window as each primitive is drawn, the picture files when plotting ends.
//
// The real-time graphs draw incrementally and erase by drawing in the background colour,
// so the list coalesces as it grows instead of keeping every call:
//  - a fill of the whole page empties it (a page border stays on top of the fill);
//  - a primitive removes the earlier ones it covers completely: the same line or a line
//    that starts or ends with all of its points, at least as thick; the same line set;
//    the same text at the same place; anything inside a filled rectangle (lines whose
//    points lie inside it give or take 2 units);
//  - a primitive drawn in the colour of the filled area it lies on is an eraser. After
//    removing what it covers, an eraser line is dropped (where it crosses other lines is
//    not cut out of them); an eraser rectangle or text is dropped unless it still overlaps
//    something else of another colour.
// The screen window paints every primitive before it is coalesced, so what the window
// shows is what was drawn; the list reproduces it for repaints and files.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace vx::plot {

constexpr int kPageWidth = 2970;
constexpr int kPageHeight = 2100;

struct PointF {
    float x, y;
};

// A rectangle on the page; right and bottom are included.
struct Box {
    float left = 0, top = 0, right = 0, bottom = 0;
    bool contains(const Box& b) const {
        return b.left >= left && b.right <= right && b.top >= top && b.bottom <= bottom;
    }
    bool intersects(const Box& b) const {
        return b.left <= right && b.right >= left && b.top <= bottom && b.bottom >= top;
    }
    Box grown(float d) const { return {left - d, top - d, right + d, bottom + d}; }
};

enum class Kind : uint8_t {
    PageFill,  // the whole page in `colour`
    Rect,      // `rect` filled
    Border,    // the page's border, `thickness` units wide
    Polyline,  // `count` points joined
    Lines,     // `count` points taken in pairs, one segment each
    Text,      // `count` bytes (Windows-1252) with the upper left corner of its cell at `at`
};
enum class LineStyle : uint8_t { Solid, Dashed, Dotted, DashDotted };
enum class Align : uint8_t { Left, Centre, Right };  // of a text's cell about `at`

struct Primitive {
    Kind kind = Kind::PageFill;
    LineStyle style = LineStyle::Solid;
    Align align = Align::Left;
    uint8_t thickness = 1;  // lines and border, in page units
    int32_t colour = 0;
    int16_t angle = 0;              // text: 0, or 90 for text read upwards
    uint16_t font = 0;              // text: index of Scene::fontName
    int32_t height = 0;             // text: height of the character cell
    PointF at{};                    // text anchor
    Box rect;                       // Rect
    uint32_t first = 0, count = 0;  // the points (Polyline, Lines) or bytes (Text) in the pools
    Box extent;  // what it covers on the page: lines with their width, texts estimated generously
    Box area;    // a curve: the axis area it was clipped to (the window keeps it off the frame)
    bool curve = false;
    bool live = true;
};

// Told of every primitive as it is drawn, before the list coalesces.
class SceneObserver {
  public:
    virtual ~SceneObserver() = default;
    virtual void drawn(const class Scene& scene, const Primitive& p) = 0;
};

class Scene {
  public:
    // An empty page of that colour; fonts forgotten. Keeps the storage for reuse.
    void reset(int32_t pageColour);
    // Gives the storage back (reset keeps it for the next picture).
    void releaseStorage();
    void setObserver(SceneObserver* o) { observer_ = o; }

    void fillPage(int32_t colour);
    void border(int32_t colour, int thickness);
    void fillRect(const Box& r, int32_t colour);
    void polyline(std::span<const PointF> points, int32_t colour, int thickness, LineStyle style,
                  const Box* curveArea = nullptr);
    void lines(std::span<const PointF> pairs, int32_t colour, int thickness);
    void text(std::string_view bytes, PointF at, int height, int32_t colour, uint16_t font, Align align,
              int angle);
    uint16_t fontIndex(std::string_view name);

    // Reading, for the outputs.
    template <class F>
    void forEach(F&& f) const {
        for (const Primitive& p : list_)
            if (p.live) f(p);
    }
    std::span<const PointF> points(const Primitive& p) const { return {points_.data() + p.first, p.count}; }
    std::string_view text(const Primitive& p) const { return {bytes_.data() + p.first, p.count}; }
    const std::string& fontName(uint16_t font) const;
    int32_t pageColour() const { return pageColour_; }
    size_t liveCount() const { return list_.size() - dead_; }
    size_t storedPoints() const { return points_.size(); }  // live and not yet compacted

    // The most primitives the list keeps: beyond it the oldest are dropped (a picture
    // that large has long stopped being read line by line).
    static constexpr size_t kMaxPrimitives = 200000;

  private:
    void add(Primitive p, std::span<const PointF> pts, std::string_view bytes);
    bool covers(const Primitive& q, const Primitive& p) const;
    bool samePoints(const Primitive& q, const Primitive& p) const;
    bool absorbedBy(const Primitive& q);  // removes what q covers; true when q is an eraser to drop
    void kill(Primitive& p);
    void compact();

    std::vector<Primitive> list_;
    std::vector<PointF> points_;
    std::string bytes_;
    std::vector<std::string> fonts_;
    size_t dead_ = 0, deadPoints_ = 0, deadBytes_ = 0;
    int32_t pageColour_ = 0xFFFFFF;
    int borderThickness_ = 0;
    int32_t borderColour_ = -1;
    SceneObserver* observer_ = nullptr;
};

}  // namespace vx::plot
