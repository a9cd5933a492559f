#include "BSP.h"
#include "Renderer.h"
#include "ViewRay.h"

Hit Renderer::pointAt(int x, int y) {
    if (level == nullptr) return {};
    const ViewBasis basis = viewBasis(view.cameraPos, view.cameraYaw, view.cameraPitch, view.screenWidth,
                                      view.screenHeight);
    const Ray ray = pixelRay(basis, x, y);
    // The far clip distance is a plane across the view: along a ray off the
    // centre it reaches further.
    const PickQuery query{ray, view.farPlane / dot(ray.direction, basis.forward), view.singleGroup,
                          view.selectedGroup, view.showMarkers ? &markers : nullptr, &view.hidden};
    return pickScene.cast(*level, query);
}
