// The list's two state images, drawn by the program at a given pixel size.
#pragma once

#include "framework/ListView.h"

// Replaces the images with the enabled tick (0) and the disabled cross (1) at size x size.
void FillStateImages(fw::TImageList* images, int size);
