// Page turning, slide animation and drawing of the menu panel.
#include "menupanel.h"

#include "visual/blit.h"
#include "visual/skinlayout.h"

namespace {

using namespace SkinLayout;

void DrawPage(QImage& frame, const QImage& sprites, int page, int offset)
{
    const int column = kMenuPageSize * page;
    MaskedCopy(frame, kMenuPos + QPoint(offset, 0), sprites, {column, kMenuMaskRow},
               {column, kMenuImageRow}, {kMenuPageSize, kMenuPageSize});
}

} // namespace

void MenuPanel::hover(int entry)
{
    if (entry < 0 || entry >= static_cast<int>(MenuHover.size()))
        return;
    MenuHover.fill(false);
    MenuHover[entry] = true;
}

std::optional<int> MenuPanel::press(int entry)
{
    if (MenuAnimating || entry < 0 || entry >= static_cast<int>(MenuHover.size()))
        return std::nullopt;
    if (entry == 0 || entry == 4) {
        OldPage = MenuPage;
        MenuPage = (MenuPage + (entry == 0 ? kPageCount - 1 : 1)) % kPageCount;
        MenuAnimating = true;
        return std::nullopt;
    }
    return entry;
}

void MenuPanel::paint(QImage& frame, const QImage& sprites, int menuAni)
{
    if (!MenuAnimating) {
        DrawPage(frame, sprites, MenuPage, 0);
        const int column = kMenuPageSize * MenuPage;
        for (int i = 0; i < static_cast<int>(MenuHover.size()); ++i) {
            if (!MenuHover[i])
                continue;
            const int offset = kMenuEntryHeight * i;
            MaskedCopy(frame, {kMenuPos.x(), kMenuHighlightY + offset}, sprites,
                       {column, kMenuHighlightMaskRow + offset},
                       {column, kMenuHighlightImageRow + offset},
                       {kMenuPageSize, kMenuEntryHeight});
        }
        return;
    }
    if (MenuPhase == 0) {
        MenuOffset = menuAni == 0 ? kSlideEnd : MenuOffset + kSlideStep;
        DrawPage(frame, sprites, OldPage, MenuOffset);
        if (MenuOffset >= kSlideEnd)
            MenuPhase = 1;
    } else {
        MenuOffset = menuAni == 0 ? 0 : MenuOffset - kSlideStep;
        DrawPage(frame, sprites, MenuPage, MenuOffset);
        if (MenuOffset <= 0) {
            MenuPhase = 0;
            MenuAnimating = false;
        }
    }
}
