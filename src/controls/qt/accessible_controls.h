// What assistive technology sees of the custom controls: the record button as a push button with its
// actions, a paint box as a level indicator with its value; and a drop-down list by the name it is
// given.
#pragma once

namespace orvimo {

// Makes Qt ask this unit for the controls' accessible interfaces; once is enough, more does no harm. A
// control whose interface Qt made before keeps that one: call this before creating any control.
void InstallControlsAccessibility();

}  // namespace orvimo
