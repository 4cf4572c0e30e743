#include "favourites/Favourites.h"
