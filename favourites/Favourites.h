#pragma once
// The favourites library in one include.
#include "favourites/BoxPanel.h"
#include "favourites/ColourFile.h"
#include "favourites/FavPaths.h"
#include "favourites/FavouritesHost.h"
#include "favourites/FavouritesModel.h"
#include "favourites/FavouritesUi.h"
#include "favourites/FileMenu.h"
#include "favourites/frmLagre.h"
