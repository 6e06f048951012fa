#pragma once

// The station pane's text until the first station connects.
extern const char* const WelcomeText[];
extern const int WelcomeTextLines;
