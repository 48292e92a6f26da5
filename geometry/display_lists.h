#pragma once

// Compiles the object and sky lists and reserves the overlay list's name.
void buildDisplayLists();
