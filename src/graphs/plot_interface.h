#pragma once
// The plotting interface: the one header through which the graphs (the real-time graph
// windows, the column graph) reach the plotting library. One call sets an option or draws
// one thing; the library keeps its state (colour, axis system, legend, cursor mode)
// between calls.
//
// Coordinates are integers on a landscape page of 2970 x 2100 units, origin at the top
// left, y growing downward. Colours are int32 values made by indrgb/intrgb. Keywords are
// case-insensitive and recognised by their first four characters.

#include <cstdint>

// Event codes of csrpos.
constexpr int32_t FRECCIA_LEFT_KEY = 1;
constexpr int32_t FRECCIA_UP_KEY = 2;
constexpr int32_t FRECCIA_RIGHT_KEY = 3;
constexpr int32_t FRECCIA_DOWN_KEY = 4;
constexpr int32_t PULSANTE_1_MOUSE = 5;
constexpr int32_t PULSANTE_2_MOUSE = 6;  // right button; other keys give their character code

// Output and window.
void metafl(const char* device);  // "XWIN" screen window, "WMF" metafile; also "SVG", "PNG"
void setfil(const char* file);
void filmod(const char* mode);  // "DELETE": an existing file is replaced
void window(int x, int y, int width, int height);
void setpag(const char* page);  // "DA4L"
void disini();
void winmod(const char* mode);  // "NOHOLD" ...
void winkey(const char* key);   // "ESCAPE" ...
void wintit(const char* title);
void winfnt(const char* font);

// Colours.
int32_t indrgb(float r, float g, float b);
int32_t intrgb(float r, float g, float b);
void setclr(int32_t colour);
void color(const char* name);

// Page and axis system.
void pagera();
void pagfll(int32_t colour);
void axspos(int x, int y);
void axslen(int width, int height);
void axsbgd(int32_t colour);
void labdig(int digits, const char* axis);
void setgrf(const char* lower, const char* left, const char* upper, const char* right);
void hname(int height);
void name(const char* text, const char* axis);
void ticks(int count, const char* axis);
void graf(float xa, float xe, float xor_, float xstp, float ya, float ye, float yor, float ystp);
void endgrf();
void grid(int nx, int ny);

// Curves.
void curve(const float* x, const float* y, int n);
void chncrv(const char* mode);
void clrcyc(int index, int32_t colour);
void thkcrv(int thickness);
void resatt();

// Texts, rectangles, legend.
void height(int h);
void messag(const char* text, int x, int y);
void recfll(int x, int y, int width, int height, int32_t colour);
void legini(char* buffer, int lines, int maxChars);
void legpos(int x, int y);
void leglin(char* buffer, const char* text, int line);
void legtit(const char* title);
void legend(char* buffer, int corner);

// Cursor and events.
void csrmod(const char* mode, const char* what);  // "GET"/"READ", "POS"
int32_t csrpos(int* x, int* y);
void setcsr(const char* shape);  // "CROSS", "ARROW"

void sendbf();
void disfin();

// The screen the graphics windows open on, for sizing them: its width and the frame and
// caption sizes of a dialog window, in pixels (fixed defaults when there is no screen).
struct PlotScreenMetrics {
    int width, frameWidth, frameHeight, captionHeight;
};
PlotScreenMetrics plotScreenMetrics();
