// The message boxes of Bexa's windows, in the words of their behaviour classes: which icon,
// which buttons, and what the user answered. Every view (main window, BAR space window) asks
// its questions in these terms; message_box_win32.h shows them as Win32 message boxes.
#pragma once

namespace bexa {

// Exclamation for notices, question for questions, information for a test that passed.
enum class MessageIcon { Exclamation, Question, Information };
enum class MessageButtons { Ok, OkCancel, YesNo, YesNoCancel };
enum class MessageAnswer { Ok, Cancel, Yes, No };

}  // namespace bexa
