#include "app/startup.h"

#include <GL/glut.h>
#include <cstdlib>

#include "app/settings.h"
#include "geometry/display_lists.h"
#include "image/environment_texture.h"
#include "options/option_reader.h"
#include "render/frame.h"
#include "render/input.h"
#include "render/rate_meter.h"
#include "render/render_state.h"

TextString windowTitle;

unsigned displayMode(int bufferMode)
{
    return GLUT_RGB | GLUT_DEPTH | GLUT_ACCUM | static_cast<unsigned>(bufferMode);
}

int createWindow(OptionReader& options)
{
    // The toolkit sees the untouched vector, but only as many entries as the
    // option table left: options it took never reach the toolkit.
    int toolkitArgc = options.count();
    glutInit(&toolkitArgc, options.argv());
    glutInitDisplayMode(displayMode(settings.bufferMode));
    glutInitWindowSize(settings.windowWidth, settings.windowHeight);
    windowTitle = options.getString("-title", "Super sampled Motion-Blur", 2);
    glutCreateWindow(windowTitle.data());
    return 0;
}

void registerCallbacks()
{
    glutReshapeFunc(reshape);
    glutKeyboardFunc(keyboard);
    glutDisplayFunc(display);
    glutMouseFunc(mouse);
    glutMotionFunc(motion);
    glutIdleFunc(idle);
    glutTimerFunc(1000, rateTimer, 0);
}

int startUp(OptionReader& options)
{
    createWindow(options);
    registerCallbacks();
    setUpEnvironmentTexture(options);
    buildDisplayLists();
    initRenderState();
    return 0;
}

void quit()
{
    std::exit(0);
}
