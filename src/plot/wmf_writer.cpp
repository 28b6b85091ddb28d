#include "plot/wmf_writer.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <initializer_list>

#include "plot/font_name.h"

namespace vx::plot {
namespace {

enum : uint16_t {
    META_EOF = 0x0000,
    META_SETBKMODE = 0x0102,
    META_SETMAPMODE = 0x0103,
    META_SETTEXTALIGN = 0x012E,
    META_SELECTOBJECT = 0x012D,
    META_DELETEOBJECT = 0x01F0,
    META_SETTEXTCOLOR = 0x0209,
    META_SETWINDOWORG = 0x020B,
    META_SETWINDOWEXT = 0x020C,
    META_CREATEPENINDIRECT = 0x02FA,
    META_CREATEFONTINDIRECT = 0x02FB,
    META_CREATEBRUSHINDIRECT = 0x02FC,
    META_POLYLINE = 0x0325,
    META_RECTANGLE = 0x041B,
    META_TEXTOUT = 0x0521,
};
constexpr uint16_t kTransparent = 1, kAnisotropic = 8;
constexpr uint16_t kPenNull = 5, kBrushSolid = 0;
constexpr uint16_t kAlignLeft = 0, kAlignRight = 2, kAlignCentre = 6;  // with TA_TOP (0)
constexpr int kMaxPolylinePoints = 8000;

int16_t coord(float v) {
    if (!(v > -32768.0f)) return -32768;  // also NaN
    if (v > 32767.0f) return 32767;
    return int16_t(std::lround(v));
}

class Writer {
  public:
    explicit Writer(const Scene& scene) : scene_(scene) {}

    std::string run() {
        record(META_SETWINDOWORG, {0, 0});
        record(META_SETWINDOWEXT, {uint16_t(kPageHeight), uint16_t(kPageWidth)});  // y first
        record(META_SETMAPMODE, {kAnisotropic});
        record(META_SETBKMODE, {kTransparent});
        scene_.forEach([this](const Primitive& p) { draw(p); });
        for (int* obj : {&pen_, &brush_, &font_})
            if (*obj >= 0) record(META_DELETEOBJECT, {uint16_t(*obj)});
        record(META_EOF, {});
        return headers() + body_;
    }

  private:
    struct PenKey {
        uint16_t style, width;
        int32_t colour;
        bool operator==(const PenKey&) const = default;
    };
    struct FontKey {
        uint16_t font;
        int32_t height;
        int16_t angle;
        bool operator==(const FontKey&) const = default;
    };

    void draw(const Primitive& p) {
        switch (p.kind) {
            case Kind::PageFill:
                fill({0, 0, float(kPageWidth), float(kPageHeight)}, p.colour);
                break;
            case Kind::Rect:
                fill(p.rect, p.colour);
                break;
            case Kind::Border: {
                selectPen({0, p.thickness, p.colour});
                const float h = float(p.thickness) / 2, r = kPageWidth - h, b = kPageHeight - h;
                const PointF frame[5] = {{h, h}, {r, h}, {r, b}, {h, b}, {h, h}};
                polyline(frame);
                break;
            }
            case Kind::Polyline: {
                selectPen({uint16_t(p.style), p.thickness, p.colour});
                auto pts = scene_.points(p);
                for (size_t at = 0; at + 1 < pts.size(); at += kMaxPolylinePoints - 1)
                    polyline(pts.subspan(at, std::min<size_t>(kMaxPolylinePoints, pts.size() - at)));
                break;
            }
            case Kind::Lines: {
                selectPen({0, p.thickness, p.colour});
                auto pts = scene_.points(p);
                for (size_t i = 0; i + 1 < pts.size(); i += 2)
                    polyline(pts.subspan(i, 2));
                break;
            }
            case Kind::Text:
                text(p);
                break;
        }
    }

    void fill(const Box& r, int32_t colour) {
        selectPen({kPenNull, 0, 0});
        if (brushColour_ != colour) {
            record(META_CREATEBRUSHINDIRECT, {kBrushSolid, lo(colour), hi(colour), 0});
            replace(brush_);
            brushColour_ = colour;
        }
        record(META_RECTANGLE, {u(coord(r.bottom)), u(coord(r.right)), u(coord(r.top)), u(coord(r.left))});
    }

    void polyline(std::span<const PointF> pts) {
        std::vector<uint16_t>& w = scratch_;
        w.assign(1, uint16_t(pts.size()));
        for (const PointF& p : pts) {
            w.push_back(u(coord(p.x)));
            w.push_back(u(coord(p.y)));
        }
        record(META_POLYLINE, w);
    }

    void text(const Primitive& p) {
        const FontKey key{p.font, p.height, p.angle};
        if (!(fontKey_ == key) || font_ < 0) {
            FontFace font = parseFontName(scene_.fontName(p.font));
            std::string face = font.family.substr(0, 31);
            std::vector<uint16_t>& w = scratch_;
            const uint16_t escapement = uint16_t(p.angle * 10);
            w.assign({u(int16_t(std::clamp(p.height, 1, 32767))), 0, escapement, escapement,
                      uint16_t(font.bold ? 700 : 400),
                      uint16_t(font.italic ? 1 : 0),  // italic, underline
                      0,                              // strike-out, character set ANSI
                      0,                              // output and clipping precision
                      0});                            // quality, pitch and family
            appendBytes(w, face.c_str(), face.size() + 1);
            record(META_CREATEFONTINDIRECT, w);
            replace(font_);
            fontKey_ = key;
        }
        if (textColour_ != p.colour) {
            record(META_SETTEXTCOLOR, {lo(p.colour), hi(p.colour)});
            textColour_ = p.colour;
        }
        const uint16_t align = p.align == Align::Left     ? kAlignLeft
                               : p.align == Align::Centre ? kAlignCentre
                                                          : kAlignRight;
        if (align != align_) {
            record(META_SETTEXTALIGN, {align, 0});
            align_ = align;
        }
        std::string_view s = scene_.text(p);
        s = s.substr(0, 4000);
        std::vector<uint16_t>& w = scratch_;
        w.assign(1, uint16_t(s.size()));
        appendBytes(w, s.data(), s.size());
        w.push_back(u(coord(p.at.y)));
        w.push_back(u(coord(p.at.x)));
        record(META_TEXTOUT, w);
    }

    void selectPen(const PenKey& key) {
        if (pen_ >= 0 && penKey_ == key) return;
        record(META_CREATEPENINDIRECT, {key.style, key.width, 0, lo(key.colour), hi(key.colour)});
        replace(pen_);
        penKey_ = key;
    }

    // The object just created takes the lowest free slot of the object table; it is
    // selected, and the one it replaces deleted.
    void replace(int& current) {
        int slot = 0;
        while (slot < int(used_.size()) && used_[slot])
            ++slot;
        if (slot == int(used_.size())) used_.push_back(false);
        used_[slot] = true;
        record(META_SELECTOBJECT, {uint16_t(slot)});
        if (current >= 0) {
            record(META_DELETEOBJECT, {uint16_t(current)});
            used_[current] = false;
        }
        current = slot;
    }

    static void appendBytes(std::vector<uint16_t>& w, const char* s, size_t n) {
        for (size_t i = 0; i < n; i += 2) {
            uint16_t lo8 = static_cast<unsigned char>(s[i]);
            uint16_t hi8 = i + 1 < n ? static_cast<unsigned char>(s[i + 1]) : 0;
            w.push_back(uint16_t(lo8 | hi8 << 8));
        }
    }

    void record(uint16_t function, std::initializer_list<uint16_t> params) {
        record(function, std::span<const uint16_t>(params.begin(), params.size()));
    }
    void record(uint16_t function, std::span<const uint16_t> params) {
        const uint32_t words = uint32_t(3 + params.size());
        maxRecord_ = std::max(maxRecord_, words);
        put32(body_, words);
        put16(body_, function);
        for (uint16_t v : params)
            put16(body_, v);
    }

    std::string headers() const {
        std::string h;
        put32(h, 0x9AC6CDD7);  // placeable key
        put16(h, 0);           // handle
        for (int16_t v : {int16_t(0), int16_t(0), int16_t(kPageWidth), int16_t(kPageHeight)})
            put16(h, uint16_t(v));
        put16(h, 254);  // logical units an inch
        put32(h, 0);
        uint16_t sum = 0;
        for (size_t i = 0; i < h.size(); i += 2)
            sum ^= uint16_t(uint8_t(h[i]) | uint8_t(h[i + 1]) << 8);
        put16(h, sum);
        put16(h, 1);  // in memory
        put16(h, 9);  // header words
        put16(h, 0x0300);
        put32(h, uint32_t(9 + body_.size() / 2));
        put16(h, uint16_t(used_.size()));
        put32(h, maxRecord_);
        put16(h, 0);
        return h;
    }

    static uint16_t u(int16_t v) { return uint16_t(v); }
    static uint16_t lo(int32_t c) { return uint16_t(uint32_t(c) & 0xFFFF); }
    static uint16_t hi(int32_t c) { return uint16_t(uint32_t(c) >> 16); }
    static void put16(std::string& s, uint16_t v) {
        s += char(v & 0xFF);
        s += char(v >> 8);
    }
    static void put32(std::string& s, uint32_t v) {
        put16(s, uint16_t(v & 0xFFFF));
        put16(s, uint16_t(v >> 16));
    }

    const Scene& scene_;
    std::string body_;
    std::vector<uint16_t> scratch_;
    std::vector<bool> used_;
    uint32_t maxRecord_ = 3;
    int pen_ = -1, brush_ = -1, font_ = -1;
    PenKey penKey_{};
    FontKey fontKey_{};
    int32_t brushColour_ = -1, textColour_ = -1;
    uint16_t align_ = kAlignLeft;
};

}  // namespace

std::string wmfBytes(const Scene& scene) {
    return Writer(scene).run();
}

}  // namespace vx::plot
