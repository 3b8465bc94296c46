// Linked with every object of the add-in and the search component but only the platform
// interfaces: it builds only while neither calls into a platform backend or the simulation.
int main() {
  return 0;
}
