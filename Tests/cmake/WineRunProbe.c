/* Says it ran: the Wine runner's test starts several at once. */
#include <stdio.h>

int main(void)
{
  puts("wine_run_probe ran");
  return 0;
}
