// A library the tests put both in the system's folder and in the program's.
extern "C" __declspec(dllexport) int qel_both_places() {
  return 1;
}
