#pragma once

// The pipe peers of the product: the audio service and the ASIO driver.
int audioServiceMain(int argc, char **argv);
int asioDriverMain(int argc, char **argv);
int asioNotifyMain(int argc, char **argv);
