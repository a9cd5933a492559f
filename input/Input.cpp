#include <SDL.h>

#include <cstdint>
#include <iostream>

#include "BSP.h"
#include "CameraMotion.h"
#include "CameraRequest.h"
#include "KeyBindings.h"
#include "Renderer.h"

namespace {

// The index into Renderer::keyDown of a held adjustment key, or -1.
int heldIndex(SDLKey key) {
    switch (key) {
    case SDLK_PAGEUP: return heldPageUp;
    case SDLK_PAGEDOWN: return heldPageDown;
    case SDLK_QUOTE: return heldQuote;
    case SDLK_COMMA: return heldComma;
    case SDLK_PERIOD: return heldPeriod;
    case SDLK_SEMICOLON: return heldSemicolon;
    case SDLK_LEFTBRACKET: return heldLeftBracket;
    case SDLK_RIGHTBRACKET: return heldRightBracket;
    default: return -1;
    }
}

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
void panelKey(bool& visible, std::int32_t& page, std::int32_t key) {
    if (!visible) {
        visible = true;
        page = key;
    } else if (page == key) {
        visible = false;
    } else {
        page = key;
    }
}

// Movement keys add on press and subtract on release, so opposite keys cancel.
bool movementKey(SDLKey key, int& sideways, int& forward, int& vertical, int sign) {
    switch (key) {
    case SDLK_w: forward += sign; return true;
    case SDLK_s: forward -= sign; return true;
    case SDLK_d: sideways += sign; return true;
    case SDLK_a: sideways -= sign; return true;
    case SDLK_e: vertical += sign; return true;
    case SDLK_q: vertical -= sign; return true;
    default: return false;
    }
}

}  // namespace

void Renderer::handleInput() {
    const bool shiftDown = (SDL_GetModState() & (KMOD_LSHIFT | KMOD_RSHIFT)) != 0;
    if (!runHeld && shiftDown) {
        runHeld = true;
        speedFactor = 4.0;
    } else if (runHeld && !shiftDown) {
        runHeld = false;
        speedFactor = 1.0;
    }

    const int centreX = screenWidth / 2;
    const int centreY = screenHeight / 2;
    SDL_Event event;
    while (SDL_PollEvent(&event) != 0) {
        if (event.type == SDL_QUIT || (event.type == SDL_KEYDOWN && event.key.keysym.sym == SDLK_ESCAPE)) {
            running = false;
            continue;
        }
        if (event.type == SDL_MOUSEBUTTONDOWN) {
            mouseLook = !mouseLook;
            if (mouseLook) {
                SDL_ShowCursor(SDL_DISABLE);
                SDL_WarpMouse(static_cast<Uint16>(centreX), static_cast<Uint16>(centreY));
            } else {
                SDL_ShowCursor(SDL_ENABLE);
            }
            continue;
        }
        if (event.type != SDL_KEYDOWN && event.type != SDL_KEYUP) continue;

        const SDLKey key = event.key.keysym.sym;
        const bool pressed = event.type == SDL_KEYDOWN;
        if (movementKey(key, moveSideways, moveForward, moveVertical, pressed ? 1 : -1)) continue;
        const int held = heldIndex(key);
        if (held >= 0) {
            keyDown[static_cast<std::size_t>(held)] = pressed ? 1 : 0;
            continue;
        }
        if (!pressed) continue;

        switch (key) {
        case SDLK_b:
            if (++renderMode > 2) renderMode = 0;
            break;
        case SDLK_v: showCornerPoints = !showCornerPoints; break;
        case SDLK_t: showFilled = !showFilled; break;
        case SDLK_l: showWireframe = !showWireframe; break;
        case SDLK_p:
            // Off, then every plane, then the selected plane only, then off.
            if (!showPlanePoints && !singlePlane) {
                showPlanePoints = true;
            } else if (showPlanePoints) {
                showPlanePoints = false;
                singlePlane = true;
            } else {
                singlePlane = false;
            }
            break;
        case SDLK_g: singleGroup = !singleGroup; break;
        case SDLK_RIGHT:
            if (singleGroup) stepNext(selectedGroup, level->textureGroups.size());
            break;
        case SDLK_LEFT:
            if (singleGroup) stepPrevious(selectedGroup, level->textureGroups.size());
            break;
        case SDLK_UP:
            if (singlePlane) stepNext(selectedPlane, level->planes.size());
            break;
        case SDLK_DOWN:
            if (singlePlane) stepPrevious(selectedPlane, level->planes.size());
            break;
        case SDLK_c: look = nextLook(look); break;
        case SDLK_r: resetView(); break;
        case SDLK_i: panelKey(overlayVisible, overlayPage, 1); break;
        case SDLK_F1: panelKey(overlayVisible, overlayPage, 2); break;
        case SDLK_F2: panelKey(overlayVisible, overlayPage, 3); break;
        case SDLK_F3: panelKey(overlayVisible, overlayPage, 4); break;
        case SDLK_n: showMarkers = !showMarkers; break;
        case SDLK_j: stepEntity(false); break;
        case SDLK_k: stepEntity(true); break;
        case SDLK_o: std::cout << cameraArgument(cameraPos, cameraYaw, cameraPitch) << std::endl; break;
        case SDLK_HOME: fitLevel(); break;
        case SDLK_TAB: stepSpawn((event.key.keysym.mod & KMOD_SHIFT) != 0); break;
        case SDLK_EQUALS:
        case SDLK_KP_PLUS: flySpeed = steppedFlySpeed(flySpeed, true); break;
        case SDLK_MINUS:
        case SDLK_KP_MINUS: flySpeed = steppedFlySpeed(flySpeed, false); break;
        case SDLK_PRINT: screenshotRequested = true; break;
        case SDLK_F5: reloadRequested = true; break;
        default: break;
        }
    }

    // Without a window there is no pointer to read.
    if (!surfaceHasPointer()) return;
    if (!mouseLook) {
        SDL_GetMouseState(&pointer[0], &pointer[1]);
        return;
    }
    int x = 0;
    int y = 0;
    SDL_GetMouseState(&x, &y);
    SDL_WarpMouse(static_cast<Uint16>(centreX), static_cast<Uint16>(centreY));
    cameraYaw = cameraYaw + (x - centreX) / mousePixelsPerRadian * mouseSensitivity;
    cameraPitch = cameraPitch - (y - centreY) / mousePixelsPerRadian * mouseSensitivity;
    if (cameraPitch < -pitchLimit)
        cameraPitch = -pitchLimit;
    else if (cameraPitch > pitchLimit)
        cameraPitch = pitchLimit;
}
