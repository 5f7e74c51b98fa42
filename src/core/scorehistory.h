// The score-history section ("HIST") of a Civilization III save image.
#pragma once

#include "chart.h"

#include <cstddef>
#include <cstdint>

// Finds the first "HIST" tag in image (positions 0 to length - 5) and fills
// slots 1 to 540 with civilization 1's score, turn by turn, and zeros after
// the last entry. Returns false, with the table untouched, when there is no
// tag. Reads nothing outside the image, whatever it holds.
bool readScoreHistory(const uint8_t *image, size_t length, chart::ScoreTable &slots);
