#pragma once

// Every message the main program shows to the user passes through here: a
// message box by default, or whatever a test puts in its place.
#include <functional>

#include <QString>

using TMessageSink = std::function<void(const QString& text)>;

// Shows text in a message box over the active window, or hands it to the sink.
void ShowUserMessage(const QString& text);

// Replaces the sink and returns the one before; an empty sink brings the
// message box back.
TMessageSink SetMessageSink(TMessageSink sink);
