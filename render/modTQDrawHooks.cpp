#include "render/modTQDrawHooks.h"

#include "render/modTQDrawGrace.h"
#include "render/modTQDrawJianpu.h"
#include "render/modTQDrawMsc.h"
#include "render/modTQDrawShrink.h"
#include "render/modTQDrawVertical.h"

TRenderHooks& RenderHooks() {
    static TRenderHooks hooks;
    return hooks;
}

void ResetRenderHooks() { RenderHooks() = TRenderHooks(); }
