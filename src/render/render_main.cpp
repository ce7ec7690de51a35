// morvel-render: draws a printer job written by Morvel as a PDF or as PNG pages.
#include <cstdio>

#include "render/render.h"

int main(int argc, char** argv) {
    return morvel::render::render_main(argc, argv, stdin, stdout, stderr);
}
