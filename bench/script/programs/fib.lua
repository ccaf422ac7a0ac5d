-- Calls: naive recursive Fibonacci.
local function fib(n)
  if n < 2 then return n end
  return fib(n - 1) + fib(n - 2)
end
local sum = 0
for rep = 0, 19 do sum = (sum + fib(27)) & 16777215 end
print(sum)
