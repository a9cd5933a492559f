#include "BSP.h"
#include "Renderer.h"
#include "ViewRay.h"

Hit Renderer::pointAt(int x, int y) {
    if (level == nullptr) return {};
    const ViewBasis basis = viewBasis(view.cameraPos, view.cameraYaw, view.cameraPitch, view.screenWidth,
                                      view.screenHeight);
    const Ray ray = pixelRay(basis, x, y);
    // The clip distances are planes across the view: along a ray off the
    // centre they lie further.
    const double ahead = dot(ray.direction, basis.forward);
    const PickQuery query{ray, view.nearPlane / ahead, view.farPlane / ahead, view.singleGroup,
                          view.selectedGroup, view.showMarkers ? &markers : nullptr, view.cull};
    return pickScene.cast(*level, query);
}
