#pragma once
// The board's editable numeric parameters. One description per parameter (where it lives
// in the image, its scale, range, edit width and display format) drives reading it from
// the image, checking it, storing it back and showing it.

#include <cstdint>
#include <string>

union ee_buf;

// Edit controls of the configuration dialog.
constexpr int32_t ID_EDT_VT71_MYADD = 1401, ID_EDT_VT71_TCA = 1402, ID_EDT_VT71_NTCA = 1403,
                  ID_EDT_VT71_TCM = 1404, ID_EDT_VT71_KI = 1405, ID_EDT_VT71_KCO2 = 1406,
                  ID_EDT_VT71_KEUR = 1407, ID_EDT_VT71_PNOM = 1408, ID_EDT_VT71_NINV = 1409,
                  ID_EDT_VT71_ADDI = 1410, ID_EDT_VT71_ADDAUX = 1411, ID_EDT_VT71_NTEL = 1412;

struct ParcfgEntry {
    int32_t id;     // edit control of the parameter
    int32_t id_H;   // always 0
    float val;      // current value in display units
    float val_min;  // inclusive range
    float val_max;
    int32_t n_dec;    // characters the edit accepts
    int32_t n_hex;    // not used
    int32_t val_err;  // 1: val is out of range
};

constexpr int PARCFG_N = 12;  // entry 0 holds no parameter
extern ParcfgEntry Parcfg[PARCFG_N];

// Fills ids, ranges and edit widths; the values are left as they are.
void initParcfg();

// Checks Parcfg[i].val against its range. Out of range: val_err = 1, the image untouched,
// 0. In range: val_err = 0, the value rounded (to nearest, ties to even) into its image
// field (other bytes of the word kept), 1. Entry 0 and indexes outside the table pass.
int testValue(int i);

// Sets every entry's val from the image in EE (the NOD85 address from Option2).
void valuesFromImage();

// The value of parameter i as the dialog shows it ("%u", or "%.2f" for the coefficients),
// taken from the image.
std::string parameterText(int i);
std::string parameterText(int i, const ee_buf& image);  // from another image

// The rule of a parameter edit: the text cut to the entry's width (text is changed in
// place), read as a decimal number into val, then testValue. Returns testValue's result.
int editParameter(int i, std::string& text);

// Index of the entry edited by a control, 0 when none.
int parameterIndexOf(int32_t controlId);
