#include "View.h"

RenderMode nextRenderMode(RenderMode mode) {
    switch (mode) {
    case RenderMode::opaque: return RenderMode::blend;
    case RenderMode::blend: return RenderMode::additive;
    case RenderMode::additive: break;
    }
    return RenderMode::opaque;
}

const char* renderModeName(RenderMode mode) {
    switch (mode) {
    case RenderMode::blend: return "blend";
    case RenderMode::additive: return "additive";
    case RenderMode::opaque: break;
    }
    return "opaque";
}

void resetView(View& view) {
    view.nearPlane = 10.0;
    view.farPlane = 10000.0;
    view.pointSize = 1.0;
    view.lineWidth = 1.0;
    view.fillAlpha = 0.1;
    view.renderMode = RenderMode::additive;
    view.overlayVisible = false;
    view.showCornerPoints = true;
    view.showFilled = true;
    view.showWireframe = true;
    view.showPlanePoints = false;
    view.singleGroup = false;
    view.singlePlane = false;
    view.selectedGroup = 0;
    view.selectedPlane = 0;
}

std::array<int, 2> pointedPixel(const View& view) {
    if (view.mouseLook) return {view.screenWidth / 2, view.screenHeight / 2};
    return view.pointer;
}
