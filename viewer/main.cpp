// TavrinViewer: shows the camera pictures of a folder, or a slideshow of them.

#include "viewer/viewer_app.hpp"

int main(int argc, char** argv) {
    tavrin::viewer::CPictureViewerApp app(argc, argv);
    return app.run();
}
