// SPDX-License-Identifier: GPL-3.0-or-later
#include "app/DrowselApp.h"

int main(int argc, char** argv) { return drowsel::DrowselApp::main(argc, argv); }
