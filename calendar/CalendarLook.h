#pragma once
// The main window's calendar: its look and the settings around it.
#include "ChnCalendarPicker.h"

// The main window's look, built on a calendar's defaults (whose fonts it adapts).
TChnCalendarStyle MainCalendarStyle(TChnCalendarStyle style);

// The settings the main window gives its calendar (size and place are the caller's):
// title mode, that look, and the official days off and working days of CnWorkdays().
void ApplyMainWindowCalendarSettings(TChnCalendar &calendar);
