#include "boards/alarm_state.h"

uint8_t Alarm;
uint32_t ala_hbrBackground[2] = {0x0000FF00, 0x000000FF};

void resetAlarmState() {
    Alarm = 0;
    ala_hbrBackground[0] = 0x0000FF00;
    ala_hbrBackground[1] = 0x000000FF;
}
