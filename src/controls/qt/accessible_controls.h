// What assistive technology sees of the custom controls: the record button as a push button with its
// actions, a paint box as a level indicator with its value.
#pragma once

namespace orvimo {

// Makes Qt ask this unit for the controls' accessible interfaces; once is enough, more does no harm.
void InstallControlsAccessibility();

}  // namespace orvimo
