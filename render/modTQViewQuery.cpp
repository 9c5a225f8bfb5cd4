#include "render/modTQViewQuery.h"

#include "render/modTQMainView.h"

bool IsFixedDoMode() { return MainView()->mitFixedKeyChecked; }

bool IsLayerButtonShowing(int layer) {
    int image = MainView()->btnLayerImageIndex;
    return (image == 61 && layer == 1) || (image == 60 && layer == 0);
}

void CollectMarkedRows(int row1, int row2, std::vector<int>& rows) {
    rows.clear();
    const TMainView* view = MainView();
    for (int row = row1; row <= row2; ++row)
        if (view->FindRowHighlight(row) >= 0)
            rows.push_back(row);
}
