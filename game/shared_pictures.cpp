// The pictures every screen shares: loaded once and kept for the run, so that
// moving from screen to screen decodes nothing twice.
#include "game/shared_pictures.h"

#include "assets/assets.h"
#include "game/graph.h"
#include "gfx/image.h"

// Loaded once by common_images_load and kept for the run.
Image* title_logo_image;
Image* close_icon_image;
Image* digits_large_image;
Image* level_large_image;
Image* digits_small_image;
Image* level_small_image;
Image* time_small_image;
// The menu captions; loaded by game_main before each title, freed when a game starts.
Image* menu_captions_image;

// The creature strip and the glow square, kept here for the run and handed to
// the graph's picture pointers at every start-up.
static Image* creature_strip_image;
static Image* glow_square_image;

static void image_load_once(Image*& image, const EmbeddedFile& file)
{
    if (!image)
        image = load_image(file.data, file.size);
}

void common_images_load()
{
    image_load_once(title_logo_image, img_title_logo);
    image_load_once(close_icon_image, img_close_icon);
    if (!creature_strip_image)
        creature_strip_image = load_gif_image(img_vertex_strip.data, img_vertex_strip.size);
    image_load_once(glow_square_image, img_square);
    vertex_strip_image = creature_strip_image;
    glow_image = glow_square_image;
    image_load_once(digits_large_image, img_digits_large);
    image_load_once(level_large_image, img_level_large);
    image_load_once(digits_small_image, img_digits_small);
    image_load_once(level_small_image, img_level_small);
    image_load_once(time_small_image, img_time_small);
}
