#pragma once

#include "program_state.h"

#include <QString>

class QLabel;

// The "estimate" marks of the main window: a small label beside the meter
// list's description and beside the meter result, shown when the list or the
// chosen meter's values are estimates; the tooltip names the status and the
// sources.

// Puts a hidden mark to the right of the label, in the label's place of its
// layout; returns the mark.
QLabel *Add_Estimate_Mark(QLabel *beside, const QString &object_name);

// The mark beside the meter list: shown for a list whose status is an estimate.
void Show_List_Mark(QLabel *mark, const Meter_List &list);

// The mark beside the meter result: shown when a value of the chosen meter
// (rating or loss curve) is an estimate.
void Show_Meter_Mark(QLabel *mark, const Meter_List &list, int meter_index);
