// The description window's text: 30 lines joined by CR LF, with no line break after the last, plain ASCII.
// The build generates its definition from resources/description.txt.
#pragma once

#include <string>

const std::string& DescriptionText();
