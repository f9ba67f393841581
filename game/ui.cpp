// The small steps every screen shares: loading and freeing its pictures,
// writing sprite fields, waiting for a tap.
#include "game/ui.h"

#include "assets/assets.h"
#include "gfx/image.h"
#include "scene/sprite.h"
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

void sprite_opacity_set(int id, int16_t opacity)
{
    if (Sprite* s = sprite_table[id])
        s->opacity = opacity;
}

void sprite_active_set(int id, uint8_t active)
{
    if (Sprite* s = sprite_table[id])
        s->active = active;
}

void sprite_frame_set(int id, int16_t frame)
{
    if (Sprite* s = sprite_table[id])
        s->frame = frame;
}

void sprite_layer_set(int id, int16_t layer)
{
    if (Sprite* s = sprite_table[id])
        s->layer = layer;
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
