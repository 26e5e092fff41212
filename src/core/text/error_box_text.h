// The text of the application's error box: an error's message as users read it.
#pragma once

#include <string>

namespace orv {

// The message with a "." appended when its last character comes after "." in character
// order (a letter, a digit, "/"), as it is for texts written without a closing mark.
// Texts ending in ".", "!", ")" or a blank are left as they are.
std::string WithFullStop(const std::string& text);

} // namespace orv
