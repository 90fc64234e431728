// The compiled half of the Python package: the library's inputs, results, writers and errors as
// they are, for motifsig/__init__.py to wrap. The interpreter is free (its lock released) while
// an analysis or a column p-value is computed, so other Python threads run meanwhile.
#include <pybind11/pybind11.h>
#include <pybind11/stl.h>

#include <atomic>
#include <chrono>
#include <cstdint>
#include <future>
#include <memory>
#include <string>
#include <thread>
#include <vector>

#include "motifsig/motifsig.h"

namespace py = pybind11;

namespace {

using motifsig::Result;

// log10 as every report writes it, so that the numbers agree to the bit.
constexpr double kLn10 = 2.302585092994046;

// File names and names from a motif file are bytes: those that are not UTF-8 come through as
// os.fsdecode gives them, so that os.fsencode gives the bytes back.
py::str text(const std::string &bytes) {
  return py::reinterpret_steal<py::str>(
      PyUnicode_DecodeUTF8(bytes.data(), static_cast<Py_ssize_t>(bytes.size()), "surrogateescape"));
}

// A fault of the library becomes _motifsig.Failure carrying the tool's message, file, line and
// exit status; __init__.py turns it into InputError or OutputError.
void raise_failure(const motifsig::Error &error) {
  py::object type = py::module_::import("motifsig._motifsig").attr("Failure");
  py::object failure = type(text(error.what()));
  failure.attr("exit_status") = error.exit_status();
  failure.attr("file") = error.file().empty() ? py::object(py::none()) : text(error.file());
  failure.attr("line") = error.line() > 0 ? py::object(py::int_(error.line())) : py::none();
  failure.attr("error_number") = error.error_number();
  PyErr_SetObject(type.ptr(), failure.ptr());
}

// One analysis on a thread of its own, which owns what it needs, so that it can be left to stop
// by itself once cancelled.
struct Running {
  motifsig::Inputs inputs;
  motifsig::SearchModel model;
  motifsig::RunControl control;
  std::atomic<bool> cancel{false};
  std::promise<Result> result;
};

// The calling thread waits in turns of 20 ms, taking the interpreter's lock only between them
// to let Python's signal handlers run. When one raises (Ctrl-C's KeyboardInterrupt), the
// analysis is cancelled and its exception raised at once: the analysis stops by itself within
// its threads' next check, usually a few milliseconds later.
std::shared_ptr<Result> analyse(const motifsig::Inputs &inputs, const motifsig::SearchModel &model,
                                int threads) {
  auto running = std::make_shared<Running>();
  std::future<Result> done = running->result.get_future();
  {
    py::gil_scoped_release free;
    running->inputs = inputs;
    running->model = model;
    running->control.threads = threads;
    running->control.cancel = &running->cancel;
    std::thread([running] {
      try {
        running->result.set_value(
            motifsig::analyse(running->inputs, running->model, running->control));
      } catch (...) {
        running->result.set_exception(std::current_exception());
      }
    }).detach();
  }
  for (;;) {
    {
      py::gil_scoped_release free;
      if (done.wait_for(std::chrono::milliseconds(20)) == std::future_status::ready) break;
    }
    if (PyErr_CheckSignals() != 0) {
      running->cancel.store(true);
      py::gil_scoped_release free;
      done.wait_for(std::chrono::milliseconds(50));  // most work stops by then
      break;
    }
  }
  if (PyErr_Occurred() != nullptr) throw py::error_already_set();
  py::gil_scoped_release free;
  return std::make_shared<Result>(done.get());
}

}  // namespace

PYBIND11_MODULE(_motifsig, m) {
  m.doc() = "motifsig's library, wrapped by the motifsig package";
  m.attr("__version__") = motifsig::version();
  py::exception<motifsig::Error>(m, "Failure");
  py::register_exception_translator([](std::exception_ptr pending) {
    try {
      if (pending) std::rethrow_exception(pending);
    } catch (const motifsig::Error &error) {
      raise_failure(error);
    }
  });

  py::enum_<motifsig::SiteModel>(m, "SiteModel")
      .value("per_sequence", motifsig::SiteModel::per_sequence)
      .value("anywhere", motifsig::SiteModel::anywhere);
  py::enum_<motifsig::PvalueMethod>(m, "PvalueMethod")
      .value("lattice", motifsig::PvalueMethod::lattice)
      .value("accurate", motifsig::PvalueMethod::accurate);

  py::class_<motifsig::SearchModel>(m, "SearchModel")
      .def(py::init<>())
      .def_readwrite("strands", &motifsig::SearchModel::strands)
      .def_readwrite("palindromic", &motifsig::SearchModel::palindromic)
      .def_readwrite("sites", &motifsig::SearchModel::sites)
      .def_readwrite("pvalues", &motifsig::SearchModel::pvalues);

  py::class_<motifsig::MotifMatrix>(m, "MotifMatrix")
      .def(py::init<std::vector<std::vector<double>>, std::string, std::string>(), py::arg("rows"),
           py::arg("id") = "", py::arg("alt") = "");

  py::class_<motifsig::Inputs>(m, "Inputs")
      .def(py::init<>())
      .def_readwrite("sequences_path", &motifsig::Inputs::sequences_path)
      .def_readwrite("fasta", &motifsig::Inputs::fasta)
      .def_readwrite("sequence_lengths", &motifsig::Inputs::sequence_lengths)
      .def_readwrite("motifs_path", &motifsig::Inputs::motifs_path)
      .def_readwrite("alphabet", &motifsig::Inputs::alphabet)
      .def_readwrite("background", &motifsig::Inputs::background)
      .def_readwrite("motifs", &motifsig::Inputs::motifs)
      .def_readwrite("sites_path", &motifsig::Inputs::sites_path)
      .def_readwrite("site_counts", &motifsig::Inputs::site_counts)
      .def_readwrite("site_counts_by_number", &motifsig::Inputs::site_counts_by_number)
      .def_readwrite("background_path", &motifsig::Inputs::background_path)
      .def_readwrite("background_override", &motifsig::Inputs::background_override);

  py::class_<motifsig::Warning>(m, "Warning")
      .def_property_readonly("file", [](const motifsig::Warning &w) { return text(w.file); })
      .def_readonly("line", &motifsig::Warning::line)
      .def_property_readonly("message", [](const motifsig::Warning &w) { return text(w.message); })
      .def_property_readonly("text", [](const motifsig::Warning &w) { return text(w.text()); });

  py::class_<motifsig::ColumnResult>(m, "ColumnResult")
      .def_readonly("rel_entropy", &motifsig::ColumnResult::rel_entropy)
      .def_readonly("llr", &motifsig::ColumnResult::llr)
      .def_readonly("log_pvalue", &motifsig::ColumnResult::log_pvalue)
      // At most 0, as in the reports: a column at the background can read a hair above 1.
      .def_property_readonly("log10_pvalue", [](const motifsig::ColumnResult &column) {
        const double value = column.log_pvalue / kLn10;
        return value > 0 ? 0.0 : value;
      });

  py::class_<motifsig::MotifResult>(m, "MotifResult")
      .def_readonly("number", &motifsig::MotifResult::number)
      .def_property_readonly("id", [](const motifsig::MotifResult &m) { return text(m.id); })
      .def_property_readonly("alt", [](const motifsig::MotifResult &m) { return text(m.alt); })
      .def_readonly("width", &motifsig::MotifResult::width)
      .def_readonly("nsites", &motifsig::MotifResult::nsites)
      .def_readonly("llr", &motifsig::MotifResult::llr)
      .def_readonly("log_evalue", &motifsig::MotifResult::log_evalue)
      .def_readonly("log10_evalue", &motifsig::MotifResult::log10_evalue)
      .def_readonly("evalue_text", &motifsig::MotifResult::evalue_text)
      .def_readonly("columns", &motifsig::MotifResult::columns)
      .def_readonly("matrix", &motifsig::MotifResult::matrix);

  // Shared, so that the Python result and every text drawn from it keep the run's record.
  py::class_<Result, std::shared_ptr<Result>>(m, "Result")
      .def_property_readonly("alphabet", [](const Result &r) { return text(r.alphabet); })
      .def_readonly("motifs", &Result::motifs)
      .def_readonly("warnings", &Result::warnings)
      .def("motif_file_text", [](const Result &r) { return text(motifsig::motif_file_text(r)); })
      .def("tsv_text", [](const Result &r) { return text(motifsig::tsv_text(r)); })
      .def(
          "json_text",
          [](const Result &r, const std::string &command_line) {
            return text(motifsig::json_text(r, command_line));
          },
          py::arg("command_line") = "")
      .def(
          "html_text",
          [](const Result &r, const std::string &command_line) {
            return text(motifsig::html_text(r, command_line));
          },
          py::arg("command_line") = "")
      .def(
          "logo_svg",
          [](const Result &r, int number) { return text(motifsig::logo_svg(r, number)); },
          py::arg("motif_number"))
      .def(
          "write",
          [](const Result &result, const std::string &motif_file, const std::string &tsv,
             const std::string &json, const std::string &html, const std::string &logos_dir,
             const std::string &command_line) {
            motifsig::Outputs outputs;
            outputs.motif_file = motif_file;
            outputs.tsv = tsv;
            outputs.json = json;
            outputs.html = html;
            outputs.logos_dir = logos_dir;
            outputs.command_line = command_line;
            motifsig::write(result, outputs);
          },
          py::arg("motif_file"), py::arg("tsv"), py::arg("json"), py::arg("html"),
          py::arg("logos_dir"), py::arg("command_line"), py::call_guard<py::gil_scoped_release>());

  // Python's keywords are the settings' own names ("strands: expected 1 or 2, not '3'").
  m.def(
      "check_settings",
      [](const motifsig::SearchModel &model, int threads) {
        motifsig::RunControl control;
        control.threads = threads;
        motifsig::check_settings(model, control, "");
      },
      py::arg("model"), py::arg("threads"));
  m.def("analyse", &analyse, py::arg("inputs"), py::arg("model"), py::arg("threads"));
  m.def("column_log_pvalue", &motifsig::column_log_pvalue, py::arg("counts"), py::arg("background"),
        py::arg("method"), py::call_guard<py::gil_scoped_release>());
}
