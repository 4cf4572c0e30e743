#pragma once
// The favourites library in one include.
#include "favourites/ColourFile.h"
#include "favourites/FavPaths.h"
#include "favourites/FavouritesModel.h"
#include "favourites/FileMenu.h"
