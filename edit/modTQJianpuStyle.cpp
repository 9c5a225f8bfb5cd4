// The Jianpu style radio items and the Western menu's opening.
#include "edit/modTQJianpuStyle.h"

#include "lang/modTQLanguage.h"
#include "render/modTQMainView.h"

void mitTonicSolFaClick() {
    TMainView* view = MainView();
    view->mitFixedKeyChecked = false;
    view->RedrawPage();
}

void mitFixedKeyClick() {
    TMainView* view = MainView();
    view->mitFixedKeyChecked = true;
    view->RedrawPage();
}

bool mitTonicSolFaChecked() { return !MainView()->mitFixedKeyChecked; }

TWesternMenuState mitWesternClick() {
    TMainView* view = MainView();
    if (view->OnEndTextEntry)
        view->OnEndTextEntry();
    TWesternMenuState state;
    state.Layer0ItemsEnabled = CurLayer == 0;
    if (Language)
        state.JianpuStyleCaption =
            Language->GetString(531) + " : " + Language->GetString(view->mitFixedKeyChecked ? 532 : 533);
    return state;
}
