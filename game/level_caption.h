// The LEVEL caption at the bottom of the play screen and its fade.
#pragma once
#include <cstdint>

// Opacity of the LEVEL caption at the bottom; written by play_level and caption_fade_step.
extern int8_t caption_fade;

// The LEVEL caption sprites a level shows: the caption and one digit sprite per digit.
int caption_sprite_count(uint8_t level);
// One frame of the caption's fade: it starts at the first touch and ends with
// the sprites hidden.
void caption_fade_step(uint8_t level);
