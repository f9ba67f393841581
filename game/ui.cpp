// The small steps every screen shares: loading and freeing its pictures,
// waiting for a tap.
#include "game/ui.h"

#include "assets/assets.h"
#include "gfx/image.h"
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

void tap_wait(bool freeze)
{
    if (freeze)
        compose_enabled = 0;
    while (!pointer_pressed)
        frame_step();
    if (freeze)
        compose_enabled = 1;
}
