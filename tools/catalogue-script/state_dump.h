// The visible state of the program as one JSON object: the windows on screen and, for
// each named control in them, what a user can read off it (grid cells and colours, field
// texts and colours, labels, the note, the photo, the price-list box, the mode flag, lists
// of choices), plus the messages shown since the previous dump and the live heap bytes.
#pragma once

#include <QJsonObject>
#include <vector>

struct RecordedMessage;

// `messages` are the ones shown since the last dump, oldest first; `line` is the
// script line of the dump.
QJsonObject DumpState(int line, const std::vector<RecordedMessage> &messages);
