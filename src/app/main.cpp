#include "app/DrowselApp.h"

int main(int argc, char** argv) { return drowsel::DrowselApp::main(argc, argv); }
