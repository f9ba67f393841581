// The small steps every screen shares: loading and freeing its pictures,
// recomposing the whole screen, waiting for a tap.
#include "game/ui.h"

#include "assets/assets.h"
#include "gfx/image.h"
#include "gfx/pixel.h"
#include "scene/compose.h"
#include "shell/engine.h"
#include "shell/frame.h"
#include "shell/input.h"

void image_reload(Image*& image, const EmbeddedFile& file)
{
    image_free(image);
    image = load_image(file.data, file.size);
}

void image_release(Image*& image)
{
    image_free(image);
    image = nullptr;
}

void screen_rect_full()
{
    set_screen_rect(0, 0, SCREEN_WIDTH - 1, int16_t(screen_height - 1));
}

void tap_wait(bool freeze)
{
    if (freeze)
        compose_enabled = 0;
    while (!pointer_pressed)
        frame_step();
    if (freeze)
        compose_enabled = 1;
}
