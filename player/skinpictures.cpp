// Taking the main window's pictures from the loaded skin.
#include "skinpictures.h"

#include "visual/skin.h"

SkinPictures SkinPictures::from(const Skin& skin)
{
    return {skin.Picture1(),     skin.Picture2(),     skin.Picture3(),
            skin.Picture5(),     skin.programIcon(),  skin.Picture1At2x(),
            skin.Picture2At2x(), skin.Picture3At2x(), skin.Picture5At2x()};
}
