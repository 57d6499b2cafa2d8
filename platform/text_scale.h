#pragma once
// The size of text and controls the user chose (100, 125 or 150 %), applied
// to the whole program as the toolkit's scale factor. It multiplies the
// desktop's own factor (a high-resolution screen's), which stays in force.

namespace velloran {

inline constexpr int kTextScales[] = {100, 125, 150};

[[nodiscard]] bool IsTextScale(int percent);
// Sets the factor for percent (times any factor the environment already
// gives); must run before the Application is made. Nothing for 100 or for a
// percent not in kTextScales.
void ApplyTextScale(int percent);

}  // namespace velloran
