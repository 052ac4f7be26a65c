// Start-up steps around the forms: whether a display exists, and the application-wide
// preparation (allocator, accessibility) made before the first form.
#pragma once

// Whether Qt can open a window: a display, a Wayland socket, or an explicit platform.
bool DisplayAvailable();
// Prints one line saying there is no display and how to run offscreen; returns the exit
// status for main.
int ReportNoDisplay();
// Application-wide preparation made once before the first form is created.
void PrepareApplication();
