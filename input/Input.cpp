#include "Input.h"

#include <cstdint>
#include <iostream>

#include "BSP.h"
#include "CameraMotion.h"
#include "GlContext.h"

namespace {

// Moves a selection one step through a list of count entries, wrapping at
// both ends. An empty list still steps, as unsigned arithmetic gives.
void stepNext(std::uint32_t& index, std::size_t count) {
    index = index == static_cast<std::uint32_t>(count - 1) ? 0 : index + 1;
}

void stepPrevious(std::uint32_t& index, std::size_t count) {
    index = index == 0 ? static_cast<std::uint32_t>(count - 1) : index - 1;
}

// A panel key shows its page, hides it when it is the one shown, or switches
// to it from another page.
void panelKey(View& view, std::int32_t page) {
    if (!view.overlayVisible) {
        view.overlayVisible = true;
        view.overlayPage = page;
    } else if (view.overlayPage == page) {
        view.overlayVisible = false;
    } else {
        view.overlayPage = page;
    }
}

// Off, then every plane, then the selected plane only, then off.
void stepPlanePoints(View& view) {
    if (!view.showPlanePoints && !view.singlePlane) {
        view.showPlanePoints = true;
    } else if (view.showPlanePoints) {
        view.showPlanePoints = false;
        view.singlePlane = true;
    } else {
        view.singlePlane = false;
    }
}

// The fly keys and the held adjustments act on release too; true for them.
bool applyHeldKey(KeyAction action, bool pressed, Controls& controls) {
    const int sign = pressed ? 1 : -1;
    switch (action) {
    case KeyAction::flyForward: controls.moveForward += sign; return true;
    case KeyAction::flyBack: controls.moveForward -= sign; return true;
    case KeyAction::flyRight: controls.moveSideways += sign; return true;
    case KeyAction::flyLeft: controls.moveSideways -= sign; return true;
    case KeyAction::flyUp: controls.moveVertical += sign; return true;
    case KeyAction::flyDown: controls.moveVertical -= sign; return true;
    default: break;
    }
    if (action < KeyAction::clipFarther || action > KeyAction::lessAlpha) return false;
    controls.heldFlag(action) = pressed;
    return true;
}

void setMouseLook(View& view, bool on) {
    view.mouseLook = on;
    if (on) {
        SDL_ShowCursor(SDL_DISABLE);
        SDL_WarpMouse(static_cast<Uint16>(view.screenWidth / 2), static_cast<Uint16>(view.screenHeight / 2));
    } else {
        SDL_ShowCursor(SDL_ENABLE);
    }
}

// While mouse look is on the pointer is pinned to the centre: how far it has
// travelled since turns the camera. Off, it is where page 3 points.
void readPointer(View& view) {
    if (!view.mouseLook) {
        SDL_GetMouseState(&view.pointer[0], &view.pointer[1]);
        return;
    }
    const int centreX = view.screenWidth / 2;
    const int centreY = view.screenHeight / 2;
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    SDL_WarpMouse(static_cast<Uint16>(centreX), static_cast<Uint16>(centreY));
    view.cameraYaw = view.cameraYaw + (x - centreX) / mousePixelsPerRadian * mouseSensitivity;
    view.cameraPitch = view.cameraPitch - (y - centreY) / mousePixelsPerRadian * mouseSensitivity;
    if (view.cameraPitch < -pitchLimit)
        view.cameraPitch = -pitchLimit;
    else if (view.cameraPitch > pitchLimit)
        view.cameraPitch = pitchLimit;
}

// A held key's release undoes only a press that was taken.
void applyBoundKey(const InputEvent& input, KeyAction action, View& view, Controls& controls,
                   const InputScene& scene, InputRequests& requests) {
    const bool heldKind = action <= KeyAction::lessAlpha;
    const auto key = static_cast<std::size_t>(input.key);
    if (heldKind && key < controls.heldKeys.size()) {
        if (!input.pressed && !controls.heldKeys[key]) return;
        controls.heldKeys[key] = input.pressed;
    }
    applyKey(action, input.pressed, view, controls, scene, requests);
}

}  // namespace

InputEvent decodeEvent(const SDL_Event& event) {
    InputEvent decoded;
    switch (event.type) {
    case SDL_QUIT: decoded.kind = InputEvent::Kind::quit; break;
    case SDL_MOUSEBUTTONDOWN: decoded.kind = InputEvent::Kind::click; break;
    case SDL_KEYDOWN:
    case SDL_KEYUP:
        decoded.kind = InputEvent::Kind::key;
        decoded.key = event.key.keysym.sym;
        decoded.pressed = event.type == SDL_KEYDOWN;
        decoded.shift = (event.key.keysym.mod & KMOD_SHIFT) != 0;
        decoded.ctrl = (event.key.keysym.mod & KMOD_CTRL) != 0;
        // Only what the panel's glyphs can show is typed.
        if (decoded.pressed && event.key.keysym.unicode >= ' ' && event.key.keysym.unicode <= '~')
            decoded.text = static_cast<char>(event.key.keysym.unicode);
        break;
    default: break;
    }
    return decoded;
}

void applyKey(KeyAction action, bool pressed, View& view, Controls& controls, const InputScene& scene,
              InputRequests& requests) {
    if (applyHeldKey(action, pressed, controls) || !pressed) return;
    const Qor::BSP& level = scene.level;
    switch (action) {
    case KeyAction::renderMode: view.renderMode = nextRenderMode(view.renderMode); break;
    case KeyAction::look: view.look = nextLook(view.look); break;
    case KeyAction::cull: view.cull = !view.cull; break;
    case KeyAction::filled: view.showFilled = !view.showFilled; break;
    case KeyAction::outlines: view.showWireframe = !view.showWireframe; break;
    case KeyAction::corners: view.showCornerPoints = !view.showCornerPoints; break;
    case KeyAction::planePoints: stepPlanePoints(view); break;
    case KeyAction::nextPlane:
        if (view.singlePlane) stepNext(view.selectedPlane, level.planes.size());
        break;
    case KeyAction::previousPlane:
        if (view.singlePlane) stepPrevious(view.selectedPlane, level.planes.size());
        break;
    case KeyAction::oneGroup: view.singleGroup = !view.singleGroup; break;
    case KeyAction::nextGroup:
        if (view.singleGroup) stepNext(view.selectedGroup, level.textureGroups.size());
        break;
    case KeyAction::previousGroup:
        if (view.singleGroup) stepPrevious(view.selectedGroup, level.textureGroups.size());
        break;
    case KeyAction::reset:
        resetView(view);
        requests.viewReset = true;
        break;
    case KeyAction::fit: fitLevel(view, level); break;
    case KeyAction::nextSpawn: stepSpawn(view, controls, level, false); break;
    case KeyAction::previousSpawn: stepSpawn(view, controls, level, true); break;
    case KeyAction::markers: view.showMarkers = !view.showMarkers; break;
    case KeyAction::nextEntity: stepEntity(view, scene.markers, false); break;
    case KeyAction::previousEntity: stepEntity(view, scene.markers, true); break;
    case KeyAction::printCamera:
        std::cout << cameraArgument(view.cameraPos, view.cameraYaw, view.cameraPitch) << std::endl;
        break;
    case KeyAction::faster: view.flySpeed = steppedFlySpeed(view.flySpeed, true); break;
    case KeyAction::slower: view.flySpeed = steppedFlySpeed(view.flySpeed, false); break;
    case KeyAction::screenshot: requests.screenshot = true; break;
    case KeyAction::reload: requests.reload = true; break;
    case KeyAction::levelPage: panelKey(view, 1); break;
    case KeyAction::keysPage: panelKey(view, 2); break;
    case KeyAction::viewPage: panelKey(view, 3); break;
    case KeyAction::entityPage: panelKey(view, 4); break;
    case KeyAction::quit: requests.quit = true; break;
    case KeyAction::find: openFind(view, controls); break;
    default:
        if (action >= KeyAction::saveView1 && action <= KeyAction::saveView9) requests.saveView = viewSlot(action);
        if (action >= KeyAction::goToView1 && action <= KeyAction::goToView9) requests.goToView = viewSlot(action);
        break;
    }
}

InputRequests handleInput(View& view, Controls& controls, const InputScene& scene) {
    const bool shiftDown = (SDL_GetModState() & (KMOD_LSHIFT | KMOD_RSHIFT)) != 0;
    if (!controls.runHeld && shiftDown) {
        controls.runHeld = true;
        view.speedFactor = 4.0;
    } else if (controls.runHeld && !shiftDown) {
        controls.runHeld = false;
        view.speedFactor = 1.0;
    }

    InputRequests requests;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        const InputEvent input = decodeEvent(event);
        switch (input.kind) {
        case InputEvent::Kind::quit: requests.quit = true; break;
        case InputEvent::Kind::click: setMouseLook(view, !view.mouseLook); break;
        case InputEvent::Kind::key:
            if (view.find.open)
                applyFindKey(input, view, scene);
            else if (const KeyAction* action = boundAction(input.key, input.shift, input.ctrl))
                applyBoundKey(input, *action, view, controls, scene, requests);
            break;
        case InputEvent::Kind::other: break;
        }
    }

    // Without a window there is no pointer to read.
    if (surfaceHasPointer()) readPointer(view);
    return requests;
}
