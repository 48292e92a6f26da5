#include "image/environment_texture.h"

#include "options/option_reader.h"

// Placeholder until the image support lands: takes its option so the toolkit
// never sees it, and loads nothing.
void setUpEnvironmentTexture(OptionReader& options)
{
    options.getString("-envfile", "sky.ppm", 2);
}
