#pragma once

// Display callback: composes and presents one frame.
void display();
