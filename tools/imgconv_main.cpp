#include "imgconv.h"

int main(int argc, char** argv) { return imgconv::Run(argc, argv, stderr); }
