// The viewer's side of pointing: the camera and window as they are, handed
// to the pick scene as a ray.

#include "BSP.h"
#include "Renderer.h"

Hit Renderer::pointAt(int x, int y) {
    if (level == nullptr) return {};
    const ViewBasis view = viewBasis(cameraPos, cameraYaw, cameraPitch, screenWidth, screenHeight);
    const Ray ray = pixelRay(view, x, y);
    // The far clip distance is a plane across the view: along a ray off the
    // centre it reaches further.
    const PickQuery query{ray, farPlane / dot(ray.direction, view.forward), singleGroup, selectedGroup,
                          showMarkers ? &markers : nullptr};
    return pickScene.cast(*level, query);
}

std::array<int, 2> Renderer::pointedPixel() const {
    if (mouseLook) return {screenWidth / 2, screenHeight / 2};
    return pointer;
}
